// Fuzz target of the undo journal's reader: any bytes read as a journal. Besides the sanitizers,
// it checks what the reader promises: every byte is either in a sound record or counted as
// skipped, and the records read, written out again, read back the same.
#include "tx/UTxJournal.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t cbData)
{
    const TxJournalContents contents = TxJournalDecode(pData, cbData);
    std::vector<BYTE> again;
    for (const TxJournalRecord& record : contents.records) {
        const std::vector<BYTE> frame = TxJournalEncode(record);
        again.insert(again.end(), frame.begin(), frame.end());
    }
    if (again.size() + contents.qwSkippedBytes != cbData)
        std::abort();
    const TxJournalContents reread = TxJournalDecode(again.data(), again.size());
    if (reread.qwSkippedBytes != 0 || reread.records.size() != contents.records.size())
        std::abort();
    for (std::size_t i = 0; i < reread.records.size(); ++i)
        if (TxJournalEncode(reread.records[i]) != TxJournalEncode(contents.records[i]))
            std::abort();
    return 0;
}
