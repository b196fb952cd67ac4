// Connects the program's debug log to an in-process receiver for one test.
#pragma once

#include "LogCapture.h"
#include "tx/UTxUtils.h"

#include <algorithm>
#include <string>
#include <vector>

class ReceivedLog {
public:
    ReceivedLog() { m_bConnected = m_capture.Listening() && g_Log.ConnectReceiver(); }
    ~ReceivedLog() { g_Log.DisconnectReceiver(); }
    bool Connected() const { return m_bConnected; }
    // The texts of the records received so far, without prefix and terminating zero.
    std::vector<std::string> Texts() { return m_capture.Texts(); }
    std::vector<std::string> Blocks() { return m_capture.Blocks(); }
    bool Has(const std::string& text)
    {
        const std::vector<std::string> texts = Texts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
    void Clear() { m_capture.Clear(); }

private:
    LogCapture m_capture;
    bool m_bConnected = false;
};
