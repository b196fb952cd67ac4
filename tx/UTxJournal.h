// The undo journal: before the program changes any file, it appends one record of what it is
// about to change (each file's identity and time stamps, and each byte range with its old and
// new bytes) and flushes it to the device; a record can later be played backwards.
//
// The file is a sequence of frames: "VMJ1", the payload's length (4 bytes, little-endian), the
// payload, and a CRC-32 of length and payload. A frame that is cut short or damaged is passed
// over and the reader looks for the next frame that holds together, so one bad record never
// costs the others.
#pragma once

#include "../platform/winrewrite.h"
#include "../platform/wintypes.h"

#include <cstdint>
#include <string>
#include <vector>

struct TxJournalRange {
    std::uint64_t qwOffset = 0;
    std::vector<BYTE> abOld;
    std::vector<BYTE> abNew;  // as long as abOld
};

// One file of a record: the file as it was before the change (device, inode, size, times),
// the time stamp it was to get, and the byte ranges.
struct TxJournalFile {
    std::string strPath;
    FileStamp stampBefore{};
    bool bNewWriteTime = false;  // else the time stamp was kept
    std::int64_t nNewWriteSec = 0;
    std::int64_t nNewWriteNsec = 0;
    std::vector<TxJournalRange> ranges;
};

struct TxJournalRecord {
    std::uint64_t qwId = 0;       // 1, 2, ... in the order written
    std::int64_t nWhen = 0;       // Unix seconds
    std::uint64_t qwUndoes = 0;   // the record this one plays backwards, else 0
    std::string strCommand;       // "shift +1:00 (3 files)", "Apply /home/x/Photos", ...
    std::vector<TxJournalFile> files;
};

// The framed bytes of a record, and the records that hold together in a run of such bytes.
std::vector<BYTE> TxJournalEncode(const TxJournalRecord& record);
struct TxJournalContents {
    std::vector<TxJournalRecord> records;
    std::uint64_t qwSkippedBytes = 0;  // bytes that were no whole, sound record
    int nSkippedParts = 0;             // runs of such bytes
};
TxJournalContents TxJournalDecode(const BYTE* pData, std::size_t nSize);

class TxJournal {
public:
    // The journal of the user: $XDG_STATE_HOME/velmora/journal (else ~/.local/state/velmora).
    static std::string DefaultPath();
    explicit TxJournal(std::string strPath = DefaultPath()) : m_strPath(std::move(strPath)) {}
    const std::string& Path() const { return m_strPath; }

    // Gives the record the next id and appends it, flushed to the device before it returns.
    // False with a message that says why (the folder or file cannot be made, the disk is full).
    bool Append(TxJournalRecord& record, std::string& strError);
    // A journal that does not exist yet reads as empty.
    bool Read(TxJournalContents& contents, std::string& strError) const;
    // Keeps only the records written at or after nKeepFrom (Unix seconds); the damaged parts go
    // too. The journal is replaced in one step, so that a failure leaves it as it was.
    bool Prune(std::int64_t nKeepFrom, int& nRemoved, std::string& strError);

private:
    std::string m_strPath;
};

// Whether a later record has played this one backwards (and was not itself played backwards).
std::vector<bool> TxJournalUndone(const std::vector<TxJournalRecord>& records);
