// Ending a program cleanly on Ctrl+C (SIGINT) and on SIGTERM, and living on when its output
// is closed (SIGPIPE).
#pragma once

// Installs pfnHandler for both signals. It runs in signal context: it may only do
// async-signal-safe work, such as LogReceiverServer::Stop.
void OnTerminationSignal(void (*pfnHandler)());

// A closed standard output (the program started as "velmora | less" and less has quit) must not
// end the program in the middle of its work: writes to it then fail with EPIPE instead.
void IgnoreBrokenPipe();
