// The EXIF button: every tag of the selected photograph listed in the EXIF window, or the
// notice that the file holds no EXIF data.
#include "Fmain.h"

#include "../exif/Uexif.h"
#include "Fexif.h"
#include "Ulang.h"
#include "UMessageBox.h"

#include <memory>
#include <vector>

namespace {

constexpr DWORD kListingSize = 20000;  // characters, the terminator included

}  // namespace

void TFormMain::ShowNoExifMessage()
{
    ShowMessageBox(this, UiStrings[23], UiStrings[24], MsgButtons::Ok, MsgIcon::None);
}

void TFormMain::ButtonGetExifClick()
{
    const COneFile* pFile = FirstSelectedFile();
    if (pFile == nullptr)
        return;
    std::vector<char> listing(kListingSize, '\0');
    auto pExif = std::make_unique<CExif>();  // the tag table is large: not on the stack
    if (!pExif->Open(FullPath(*pFile).Text())) {
        ShowNoExifMessage();
        return;
    }
    // Lines that would not fit are left out by the listing itself.
    pExif->DumpText(listing.data(), kListingSize);
    if (FormExif != nullptr) {
        FormExif->SetListing(listing.data());
        FormExif->ShowModal();
    }
    UpdateControls();
}
