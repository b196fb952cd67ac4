// An in-process log receiver on a private runtime folder: what the debug log sends, as blocks.
#pragma once

#include "TempFolder.h"
#include "platform/logtransport.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LogCapture {
public:
    LogCapture()
    {
        const char* pszOld = std::getenv("XDG_RUNTIME_DIR");
        m_bHadRuntime = pszOld != nullptr;
        if (m_bHadRuntime)
            m_strOldRuntime = pszOld;
        setenv("XDG_RUNTIME_DIR", m_folder.Path().c_str(), 1);
        m_bListening = m_server.Listen(kLogReceiverClass, kLogReceiverTitle);
        if (m_bListening)
            m_thread = std::thread([this] { m_server.ServeBlocks(OnBlock, this); });
    }
    ~LogCapture()
    {
        m_server.Stop();
        if (m_thread.joinable())
            m_thread.join();
        if (m_bHadRuntime)
            setenv("XDG_RUNTIME_DIR", m_strOldRuntime.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    bool Listening() const { return m_bListening; }

    // Every block received so far, exactly as it arrived (text and terminating zero).
    std::vector<std::string> Blocks()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_blocks;
    }

    // The records' texts without the prefix of the given length (the application identifier,
    // thread identifier and blanks) and without the terminating zero.
    std::vector<std::string> Texts(std::size_t cchPrefix = 26)
    {
        std::vector<std::string> texts;
        for (const std::string& block : Blocks()) {
            std::string text = block.size() > cchPrefix ? block.substr(cchPrefix) : std::string();
            if (!text.empty() && text.back() == '\0')
                text.pop_back();
            texts.push_back(text);
        }
        return texts;
    }

    void Clear()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_blocks.clear();
    }

private:
    static void OnBlock(const char* pBlock, std::size_t cbBlock, void* pContext)
    {
        auto* pSelf = static_cast<LogCapture*>(pContext);
        std::lock_guard<std::mutex> guard(pSelf->m_lock);
        pSelf->m_blocks.emplace_back(pBlock, cbBlock);
    }

    TempFolder m_folder;
    LogReceiverServer m_server;
    std::thread m_thread;
    std::mutex m_lock;
    std::vector<std::string> m_blocks;
    bool m_bListening = false;
    bool m_bHadRuntime = false;
    std::string m_strOldRuntime;
};
