// The EXIF window: its shape, and the listing of the selected photograph.
#include "ApplyFixture.h"

#include "app/Fexif.h"
#include "app/Ulang.h"
#include "exif/Uexif.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include <memory>

using ExifWindowTest = ApplyFixture;

TEST_F(ExifWindowTest, TheWindowIsAMonospacedMemoAtItsDesignedPlace)
{
    TFormExif& form = *FormExif;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("EXIF Info"));
    EXPECT_EQ(form.geometry(), QRect(329, 207, 472, 583));
    EXPECT_EQ(form.Memo->font().pixelSize(), 11);
    EXPECT_EQ(form.Memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(form.Memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMaximizeButtonHint);

    // Each use replaces the whole text, edits included; CR LF makes one line break.
    form.Memo->setPlainText("typed by the user");
    form.SetListing("  a=1\r\n  b=2\r\n");
    EXPECT_EQ(form.Memo->toPlainText(), QStringLiteral("  a=1\n  b=2\n"));
    EXPECT_TRUE(form.Memo->textCursor().atEnd());
}

TEST_F(ExifWindowTest, ShowExifListsOneLinePerTagOfTheSelectedFile)
{
    ExifPhoto("camera.jpg", {}, Local(2006, 12, 24, 17, 5, 9));
    PlainPhoto("plain.jpg", Local(2006, 12, 24, 17, 5, 9));
    WriteSettings();
    TFormMain& form = Open();

    form.ButtonGetExifClick();  // nothing selected: nothing happens
    EXPECT_EQ(s_nListingsShown, 0);

    Select({"camera.jpg"});
    ASSERT_TRUE(form.ButtonGetExif->isEnabled());
    form.ButtonGetExif->click();
    ASSERT_EQ(s_nListingsShown, 1);
    EXPECT_TRUE(s_messages.empty());

    // As many lines as the engine lists tags, each name right-aligned before "=" in column 28.
    auto pExif = std::make_unique<CExif>();
    ASSERT_TRUE(pExif->Open(PathOf("camera.jpg").c_str()));
    std::vector<char> listing(20000);
    pExif->DumpText(listing.data(), 20000);
    const int nTags = QString::fromUtf8(listing.data()).count(QStringLiteral("\r\n"));
    const QStringList lines = s_strListing.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), nTags);
    EXPECT_GT(nTags, 20);
    EXPECT_FALSE(s_strListing.contains('\r'));
    for (const QString& line : lines)
        EXPECT_EQ(line.indexOf('='), 27) << line.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("                       Make=Fotex")));
    EXPECT_TRUE(lines.contains(QStringLiteral("           DateTimeOriginal=2006:12:24 17:05:09")));

    // Two rows selected: the button is off. A file without EXIF: the notice and no window.
    Select({"camera.jpg", "plain.jpg"});
    EXPECT_FALSE(form.ButtonGetExif->isEnabled());
    Select({"plain.jpg"});
    form.ButtonGetExif->click();
    EXPECT_EQ(s_nListingsShown, 1);
    ASSERT_EQ(s_messages.size(), 1u);
    ExpectMessage(s_messages[0], 23, 24, MsgButtons::Ok, MsgIcon::None);
}
