// Ending a program cleanly on Ctrl+C (SIGINT) and on SIGTERM.
#pragma once

// Installs pfnHandler for both signals. It runs in signal context: it may only do
// async-signal-safe work, such as LogReceiverServer::Stop.
void OnTerminationSignal(void (*pfnHandler)());
