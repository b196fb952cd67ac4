// The undo journal's file: frames, their payload, appending with a flush, reading what holds
// together, pruning.
#include "UTxJournal.h"

#include "UTxCrc32.h"

#include "../platform/userfolders.h"
#include "../platform/winerror.h"
#include "../platform/winfile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace {

constexpr BYTE kMagic[4] = {'V', 'M', 'J', '1'};
constexpr std::size_t kFrameHead = 8;           // magic and length
constexpr std::size_t kFrameTail = 4;           // CRC-32
constexpr std::uint32_t kMaxPayload = 1u << 30;  // a larger length is damage
constexpr int kAppendTries = 5;

// The checksum of a record's length and payload.
std::uint32_t Crc32(const BYTE* p, std::size_t n) { return tx::Crc32(0, p, n); }

class Writer {
public:
    std::vector<BYTE> bytes;
    void U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(BYTE(v >> (8 * i)));
    }
    void U64(std::uint64_t v)
    {
        U32(std::uint32_t(v));
        U32(std::uint32_t(v >> 32));
    }
    void I64(std::int64_t v) { U64(std::uint64_t(v)); }
    void Blob(const BYTE* p, std::size_t n)
    {
        U32(std::uint32_t(n));
        bytes.insert(bytes.end(), p, p + n);
    }
    void Text(const std::string& s) { Blob(reinterpret_cast<const BYTE*>(s.data()), s.size()); }
};

// Every read is checked against the end; the first one that would pass it fails the payload.
class Reader {
public:
    Reader(const BYTE* p, std::size_t n) : m_p(p), m_n(n) {}
    bool ok() const { return m_bOk; }
    bool AtEnd() const { return m_nPos == m_n; }
    std::uint32_t U32()
    {
        if (!Has(4))
            return 0;
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t(m_p[m_nPos + i]) << (8 * i);
        m_nPos += 4;
        return v;
    }
    std::uint64_t U64()
    {
        const std::uint64_t lo = U32();
        return lo | (std::uint64_t(U32()) << 32);
    }
    std::int64_t I64() { return std::int64_t(U64()); }
    std::vector<BYTE> Blob()
    {
        const std::uint32_t n = U32();
        if (!Has(n))
            return {};
        std::vector<BYTE> v(m_p + m_nPos, m_p + m_nPos + n);
        m_nPos += n;
        return v;
    }
    std::string Text()
    {
        const std::vector<BYTE> v = Blob();
        return std::string(v.begin(), v.end());
    }
    // A count of items each at least nMinBytes long: more than the rest could hold is damage.
    std::uint32_t Count(std::size_t nMinBytes)
    {
        const std::uint32_t n = U32();
        if (m_bOk && std::uint64_t(n) * nMinBytes > m_n - m_nPos)
            m_bOk = false;
        return m_bOk ? n : 0;
    }

private:
    bool Has(std::size_t n)
    {
        if (m_bOk && n <= m_n - m_nPos)
            return true;
        m_bOk = false;
        return false;
    }
    const BYTE* m_p;
    std::size_t m_n;
    std::size_t m_nPos = 0;
    bool m_bOk = true;
};

void WriteStamp(Writer& w, const FileStamp& s)
{
    w.U64(s.qwDevice);
    w.U64(s.qwInode);
    w.U64(s.qwSize);
    w.U64(s.qwLinks);
    w.I64(s.nAccessSec);
    w.I64(s.nAccessNsec);
    w.I64(s.nWriteSec);
    w.I64(s.nWriteNsec);
}

FileStamp ReadStamp(Reader& r)
{
    FileStamp s;
    s.qwDevice = r.U64();
    s.qwInode = r.U64();
    s.qwSize = r.U64();
    s.qwLinks = r.U64();
    s.nAccessSec = r.I64();
    s.nAccessNsec = r.I64();
    s.nWriteSec = r.I64();
    s.nWriteNsec = r.I64();
    return s;
}

std::vector<BYTE> Payload(const TxJournalRecord& record)
{
    Writer w;
    w.U64(record.qwId);
    w.I64(record.nWhen);
    w.U64(record.qwUndoes);
    w.Text(record.strCommand);
    w.U32(std::uint32_t(record.files.size()));
    for (const TxJournalFile& f : record.files) {
        w.Text(f.strPath);
        WriteStamp(w, f.stampBefore);
        w.U32(f.bNewWriteTime ? 1 : 0);
        w.I64(f.nNewWriteSec);
        w.I64(f.nNewWriteNsec);
        w.U32(std::uint32_t(f.ranges.size()));
        for (const TxJournalRange& r : f.ranges) {
            w.U64(r.qwOffset);
            w.Blob(r.abOld.data(), r.abOld.size());
            w.Blob(r.abNew.data(), r.abNew.size());
        }
    }
    return std::move(w.bytes);
}

bool ParsePayload(const BYTE* p, std::size_t n, TxJournalRecord& record)
{
    Reader r(p, n);
    record.qwId = r.U64();
    record.nWhen = r.I64();
    record.qwUndoes = r.U64();
    record.strCommand = r.Text();
    const std::uint32_t nFiles = r.Count(4 + 64 + 4 + 16 + 4);
    for (std::uint32_t i = 0; i < nFiles && r.ok(); ++i) {
        TxJournalFile f;
        f.strPath = r.Text();
        f.stampBefore = ReadStamp(r);
        f.bNewWriteTime = r.U32() != 0;
        f.nNewWriteSec = r.I64();
        f.nNewWriteNsec = r.I64();
        const std::uint32_t nRanges = r.Count(8 + 4 + 4);
        for (std::uint32_t k = 0; k < nRanges && r.ok(); ++k) {
            TxJournalRange range;
            range.qwOffset = r.U64();
            range.abOld = r.Blob();
            range.abNew = r.Blob();
            if (range.abOld.size() != range.abNew.size())
                return false;
            f.ranges.push_back(std::move(range));
        }
        record.files.push_back(std::move(f));
    }
    return r.ok() && r.AtEnd() && record.qwId != 0;
}

// A sound frame at nPos: its length in *pnFrame.
bool FrameAt(const BYTE* p, std::size_t n, std::size_t nPos, TxJournalRecord& record, std::size_t* pnFrame)
{
    if (n - nPos < kFrameHead + kFrameTail || std::memcmp(p + nPos, kMagic, 4) != 0)
        return false;
    Reader head(p + nPos + 4, 4);
    const std::uint32_t nLength = head.U32();
    if (nLength > kMaxPayload || nLength > n - nPos - kFrameHead - kFrameTail)
        return false;
    Reader tail(p + nPos + kFrameHead + nLength, 4);
    if (Crc32(p + nPos + 4, 4 + std::size_t(nLength)) != tail.U32())
        return false;
    record = TxJournalRecord{};
    if (!ParsePayload(p + nPos + kFrameHead, nLength, record))
        return false;
    *pnFrame = kFrameHead + nLength + kFrameTail;
    return true;
}

std::string SystemError(const char* pszWhat, const std::string& strPath)
{
    return std::string(pszWhat) + " " + strPath + ": " + FormatErrorText(GetLastError());
}

// The whole file behind an open handle.
bool ReadWhole(int hFile, std::vector<BYTE>& bytes)
{
    std::uint64_t qwSize = 0;
    if (!FileGetSize(hFile, &qwSize) || qwSize > 0xFFFFFFFFu || !FileSeek(hFile, 0, nullptr))
        return false;
    bytes.resize(std::size_t(qwSize));
    std::uint32_t dwRead = 0;
    if (!FileRead(hFile, bytes.data(), std::uint32_t(bytes.size()), &dwRead))
        return false;
    bytes.resize(dwRead);
    return true;
}

std::string FolderOf(const std::string& strPath)
{
    const std::size_t nSlash = strPath.rfind('/');
    return nSlash == std::string::npos ? "." : strPath.substr(0, std::max<std::size_t>(nSlash, 1));
}

}  // namespace

std::vector<BYTE> TxJournalEncode(const TxJournalRecord& record)
{
    const std::vector<BYTE> payload = Payload(record);
    Writer w;
    w.bytes.assign(kMagic, kMagic + 4);
    w.U32(std::uint32_t(payload.size()));
    w.bytes.insert(w.bytes.end(), payload.begin(), payload.end());
    w.U32(Crc32(w.bytes.data() + 4, w.bytes.size() - 4));
    return std::move(w.bytes);
}

TxJournalContents TxJournalDecode(const BYTE* pData, std::size_t nSize)
{
    TxJournalContents contents;
    bool bInDamage = false;
    for (std::size_t nPos = 0; nPos < nSize;) {
        TxJournalRecord record;
        std::size_t nFrame = 0;
        if (FrameAt(pData, nSize, nPos, record, &nFrame)) {
            contents.records.push_back(std::move(record));
            nPos += nFrame;
            bInDamage = false;
            continue;
        }
        contents.nSkippedParts += bInDamage ? 0 : 1;
        bInDamage = true;
        ++contents.qwSkippedBytes;
        ++nPos;
    }
    return contents;
}

std::string TxJournal::DefaultPath()
{
    const std::string strState = UserStateFolder();
    return strState.empty() ? std::string() : strState + "/velmora/journal";
}

bool TxJournal::Read(TxJournalContents& contents, std::string& strError) const
{
    contents = TxJournalContents{};
    const int hFile = FileOpen(m_strPath.c_str(), FileOpenMode::ReadExisting);
    if (hFile == INVALID_FILE_HANDLE) {
        if (GetLastError() == ENOENT && !m_strPath.empty())
            return true;
        strError = SystemError("cannot read the journal", m_strPath);
        return false;
    }
    std::vector<BYTE> bytes;
    const bool bRead = ReadWhole(hFile, bytes);
    FileClose(hFile);
    if (!bRead) {
        strError = SystemError("cannot read the journal", m_strPath);
        return false;
    }
    contents = TxJournalDecode(bytes.data(), bytes.size());
    return true;
}

bool TxJournal::Append(TxJournalRecord& record, std::string& strError)
{
    if (m_strPath.empty()) {
        strError = "no folder for the journal: neither XDG_STATE_HOME nor a home folder is known";
        return false;
    }
    const std::string strFolder = FolderOf(m_strPath);
    if (!CreateFolderPath(strFolder)) {
        strError = SystemError("cannot make the journal's folder", strFolder);
        return false;
    }
    // The lock keeps other writers out; a prune may have put a new file under the name while
    // this one waited for the lock: then the new file is the journal.
    for (int nTry = 0; nTry < kAppendTries; ++nTry) {
        const int hFile = FileOpen(m_strPath.c_str(), FileOpenMode::ReadWriteOpenAlways);
        if (hFile == INVALID_FILE_HANDLE) {
            strError = SystemError("cannot open the journal", m_strPath);
            return false;
        }
        FileStamp held{}, named{};
        if (!FileGetStamp(hFile, &held) || !FileGetStampByPath(m_strPath.c_str(), &named) || !held.SameFile(named)) {
            FileClose(hFile);
            continue;
        }
        std::vector<BYTE> bytes;
        if (!ReadWhole(hFile, bytes) || !FileSeekEnd(hFile, nullptr)) {
            strError = SystemError("cannot read the journal", m_strPath);
            FileClose(hFile);
            return false;
        }
        std::uint64_t qwLast = 0;
        for (const TxJournalRecord& r : TxJournalDecode(bytes.data(), bytes.size()).records)
            qwLast = std::max(qwLast, r.qwId);
        record.qwId = qwLast + 1;
        const std::vector<BYTE> frame = TxJournalEncode(record);
        std::uint32_t dwWritten = 0;
        const bool bOk = FileWrite(hFile, frame.data(), std::uint32_t(frame.size()), &dwWritten) &&
                         FileSyncData(hFile);
        if (!bOk)
            strError = SystemError("cannot write the journal", m_strPath);
        const bool bClosed = FileCloseChecked(hFile);
        if (bOk && !bClosed)
            strError = SystemError("cannot write the journal", m_strPath);
        // A journal made just now must also be found after a power cut.
        if (bOk && bClosed && held.qwSize == 0)
            FolderSync(strFolder.c_str());
        return bOk && bClosed;
    }
    strError = "the journal " + m_strPath + " keeps being replaced: another copy of velmora-cli is pruning it";
    return false;
}

bool TxJournal::Prune(std::int64_t nKeepFrom, int& nRemoved, std::string& strError)
{
    nRemoved = 0;
    const int hFile = FileOpen(m_strPath.c_str(), FileOpenMode::ReadWriteExisting);
    if (hFile == INVALID_FILE_HANDLE) {
        if (GetLastError() == ENOENT)
            return true;
        strError = SystemError("cannot open the journal", m_strPath);
        return false;
    }
    std::vector<BYTE> bytes;
    if (!ReadWhole(hFile, bytes)) {
        strError = SystemError("cannot read the journal", m_strPath);
        FileClose(hFile);
        return false;
    }
    const TxJournalContents contents = TxJournalDecode(bytes.data(), bytes.size());
    std::vector<BYTE> kept;
    for (const TxJournalRecord& r : contents.records) {
        if (r.nWhen < nKeepFrom) {
            ++nRemoved;
            continue;
        }
        const std::vector<BYTE> frame = TxJournalEncode(r);
        kept.insert(kept.end(), frame.begin(), frame.end());
    }
    // The new journal is written beside the old one and put in its place only once it is on
    // the device; the lock on the old one is held meanwhile.
    const std::string strNew = m_strPath + ".new";
    const int hNew = FileOpen(strNew.c_str(), FileOpenMode::ReadWriteCreate);
    std::uint32_t dwWritten = 0;
    bool bOk = hNew != INVALID_FILE_HANDLE && FileWrite(hNew, kept.data(), std::uint32_t(kept.size()), &dwWritten) &&
               FileSyncData(hNew);
    if (hNew != INVALID_FILE_HANDLE)
        bOk = FileCloseChecked(hNew) && bOk;
    bOk = bOk && FileReplaceByRename(strNew.c_str(), m_strPath.c_str());
    if (bOk)
        FolderSync(FolderOf(m_strPath).c_str());
    else
        strError = SystemError("cannot rewrite the journal", m_strPath);
    FileClose(hFile);
    return bOk;
}

std::vector<bool> TxJournalUndone(const std::vector<TxJournalRecord>& records)
{
    std::vector<bool> undone(records.size(), false);
    // From the newest back: a record is undone by a later one that is not undone itself.
    for (std::size_t i = records.size(); i-- > 0;) {
        for (std::size_t k = i + 1; k < records.size(); ++k)
            if (records[k].qwUndoes == records[i].qwId && !undone[k])
                undone[i] = true;
    }
    return undone;
}
