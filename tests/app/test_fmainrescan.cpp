// Scanning the folder again: F5 and Enter in the mask box (after the unsaved-changes question),
// and the preview, which no longer shows a picture of the previous list.
#include "FormFixture.h"

#include "app/Ulang.h"
#include "app/Upreview.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <functional>

class RescanTest : public FormFixture {
protected:
    TFormMain& OpenActive()
    {
        WriteSettings();
        TFormMain& form = Open();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }
};

TEST_F(RescanTest, F5AndEnterInTheMaskBoxListTheFolderAgainAfterTheQuestion)
{
    Photo("a.jpg", 2006, 1, 1);
    TFormMain& form = OpenActive();
    Photo("b.jpg", 2006, 1, 2);
    Photo("c.png", 2006, 1, 3);

    const struct {
        const char* pszName;
        std::function<void()> press;
    } kKeys[] = {
        {"F5", [&] { QTest::keyClick(form.ListViewFiles, Qt::Key_F5); }},
        {"Enter", [&] { QTest::keyClick(form.EditMask, Qt::Key_Return); }},
    };
    for (const auto& key : kKeys) {
        SCOPED_TRACE(key.pszName);
        form.EditMask->setText("*.jpg");
        form.RescanFolder();
        Photo("new.jpg", 2006, 1, 4);
        Select({"a.jpg"});
        form.BitBtnDayUp->click();
        s_messages.clear();
        s_nAnswer = IDCANCEL;
        form.EditMask->setText("*.*");
        key.press();
        ASSERT_EQ(s_messages.size(), 1u);
        EXPECT_EQ(s_messages[0].strText, UiStrings[22]);
        EXPECT_EQ(Column(0).size(), 2) << "cancelled: the list and its changes stay";
        EXPECT_TRUE(form.m_bChanged);

        s_nAnswer = IDOK;
        key.press();
        EXPECT_EQ(Column(0).size(), 4) << "a.jpg, b.jpg, c.png, new.jpg";
        EXPECT_FALSE(form.m_bChanged);
        std::filesystem::remove(Photos() + "/new.jpg");
    }
    // Without unsaved changes nothing is asked.
    s_messages.clear();
    QTest::keyClick(form.ListViewFiles, Qt::Key_F5);
    EXPECT_TRUE(s_messages.empty());
    EXPECT_EQ(Column(0).size(), 3);
}

TEST_F(RescanTest, AfterAFolderChangeThePreviewShowsNoPictureOfThePreviousFolder)
{
    Photo("a.jpg", 2006, 1, 1);
    WriteSettings();
    TFormMain& form = Open();
    EXPECT_TRUE(form.PreviewBlank()) << "nothing asked for yet";
    QEvent early(static_cast<QEvent::Type>(WM_IMAGEREADY));
    QCoreApplication::sendEvent(&form, &early);
    EXPECT_TRUE(form.PreviewBlank()) << "a picture nobody asked for in this list";

    Select({"a.jpg"});
    QEvent ready(static_cast<QEvent::Type>(WM_IMAGEREADY));
    QCoreApplication::sendEvent(&form, &ready);
    EXPECT_FALSE(form.PreviewBlank());

    std::filesystem::create_directory(Photos() + "/other");
    form.m_strFolder = (Photos() + "/other").c_str();
    form.ScanFolder();
    EXPECT_TRUE(form.PreviewBlank());
}
