// The main window's start-up, layout, close question, exception display and image message.
#include "FormFixture.h"

#include "app/Ulang.h"
#include "app/Upreview.h"
#include "app/Uguard.h"
#include "platform/winmem.h"
#include "tx/UTxBase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QFrame>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>

#include <set>
#include <stdexcept>
#include <thread>

using FormMainTest = FormFixture;

namespace {

QString Ui(int nIndex) { return QString::fromUtf8(UiStrings[nIndex]); }

// The names of the top panel's controls that take input and are enabled.
std::set<std::string> EnabledInputs(const TFormMain& form)
{
    std::set<std::string> names;
    for (QWidget* pChild : form.PanelControls->findChildren<QWidget*>()) {
        if ((qobject_cast<QAbstractButton*>(pChild) || qobject_cast<QLineEdit*>(pChild)) && pChild->isEnabled())
            names.insert(pChild->objectName().toStdString());
    }
    return names;
}

}  // namespace

TEST_F(FormMainTest, StartUpShowsTheCzechTextsAndOnlyTheAlwaysEnabledControls)
{
    WriteSettings();
    TFormMain& form = Open();

    EXPECT_EQ(form.windowTitle(), QStringLiteral("Lodrevka 1.22"));
    QTreeWidgetItem* pHeader = form.ListViewFiles->headerItem();
    EXPECT_EQ(pHeader->text(0), QStringLiteral("Soubor"));
    EXPECT_EQ(pHeader->text(1), QStringLiteral("Původní čas"));
    EXPECT_EQ(pHeader->text(2), QStringLiteral("Nový čas"));
    EXPECT_EQ(form.LabelMonth->text(), QStringLiteral("Měsíc"));
    EXPECT_EQ(form.LabelSec->text(), QStringLiteral("Sek."));
    EXPECT_EQ(form.LabelFileMask->text(), QStringLiteral("Soubory:"));
    EXPECT_EQ(form.LabelFolder->text(), QStringLiteral("Složka: ") + QString::fromStdString(Photos()));
    EXPECT_EQ(form.ButtonSelectFolder->text(), QStringLiteral("Vybrat složku..."));
    EXPECT_EQ(form.ButtonApply->text(), Ui(15));
    EXPECT_EQ(form.ButtonApply->toolTip(), Ui(32));
    EXPECT_EQ(form.CheckBoxDTOriginal->toolTip(), QStringLiteral("Zapíše se do EXIF tagu \"DateTimeOriginal\""));
    EXPECT_EQ(form.LabelExif->text(), Ui(28));
    EXPECT_LT(form.LabelExif->geometry().right(), form.CheckBoxDT->x())
        << "the right-aligned label grows to the left";
    EXPECT_EQ(form.LabelRefFile1->text(), QStringLiteral("-"));
    EXPECT_STREQ(UiStrings[22], "Změny ještě nebyly uloženy na disk. Pokud vyberete jinou složku, budou změny "
                                "ztraceny. Chcete-li uložit změny, stiskněte \"Storno\" a poté \"Uložit změny\".");

    EXPECT_EQ(EnabledInputs(form), (std::set<std::string>{"ButtonSelectFolder", "EditMask", "ButtonHelp",
                                                          "CheckBoxDT", "CheckBoxDTOriginal",
                                                          "CheckBoxDTDigitized"}));
    for (QCheckBox* pBox : {form.CheckBoxDT, form.CheckBoxDTOriginal, form.CheckBoxDTDigitized})
        EXPECT_FALSE(pBox->isChecked());
    EXPECT_EQ(form.EditMask->text(), QStringLiteral("*.jpg"));

    EXPECT_EQ(hMainWindow, &form);
    ASSERT_NE(pImageHeader, nullptr);
    EXPECT_EQ(GlobalSize(pImageHeader), kImageHeaderSize);
    EXPECT_FALSE(QApplication::overrideCursor()) << "the hourglass is gone after start-up";
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(FormMainTest, ControlsSitAtTheirDesignedPlaces)
{
    WriteSettings();
    TFormMain& form = Open();
    EXPECT_EQ(form.size(), QSize(800, 439));
    EXPECT_EQ(form.minimumSize(), QSize(800, 210));
    EXPECT_EQ(form.PanelControls->geometry(), QRect(0, 0, 800, 91));
    EXPECT_EQ(form.ButtonSelectFolder->geometry(), QRect(4, 6, 93, 25));
    EXPECT_EQ(form.EditMask->geometry(), QRect(158, 6, 41, 21));
    EXPECT_EQ(form.ButtonApply->geometry(), QRect(553, 7, 208, 23));
    EXPECT_EQ(form.ButtonHelp->geometry(), QRect(760, 7, 23, 23));
    EXPECT_EQ(form.ButtonRefFile2->geometry(), QRect(4, 70, 125, 17));
    EXPECT_EQ(form.LabelFolder->pos(), QPoint(6, 38));
    EXPECT_EQ(form.CheckBoxDTDigitized->pos(), QPoint(669, 68));
    EXPECT_EQ(form.BitBtnDayDown->geometry(), QRect(205, 7, 17, 14));
    EXPECT_EQ(form.BitBtnDayUp->geometry(), QRect(221, 7, 17, 14));
    EXPECT_EQ(form.BitBtnSecondUp->geometry(), QRect(413, 7, 17, 14));
    EXPECT_EQ(form.LabelYear->geometry().center().x(), (279 + 295 + 16) / 2);
    EXPECT_EQ(form.PanelClient->width(), 265);
    EXPECT_EQ(form.Splitter->handleWidth(), 3);
    // The time columns: designed 120 wide, wider when the time text needs it in this font.
    const int nTimeText = form.ListViewFiles->fontMetrics().horizontalAdvance(Text(Local(2006, 12, 28, 20, 58, 58)));
    EXPECT_EQ(form.ListViewFiles->columnWidth(1), std::max(120, nTimeText + 14));
    EXPECT_EQ(form.ListViewFiles->columnWidth(2), form.ListViewFiles->columnWidth(1));
    EXPECT_EQ(form.ListViewFiles->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(form.TimerAutorepeat->interval(), 200);
    EXPECT_EQ(form.findChild<QWidget*>("PaintBox"), form.PaintBox);
    EXPECT_EQ(form.findChild<QWidget*>("ShapeBackground"), form.ShapeBackground);

    // The glyphs: a black triangle 7 wide and 4 high on silver, the point up on Up buttons.
    const QImage up = form.BitBtnMonthUp->icon().pixmap(9, 6).toImage();
    const QImage down = form.BitBtnMonthDown->icon().pixmap(9, 6).toImage();
    ASSERT_EQ(up.size(), QSize(9, 6));
    const QRgb black = qRgb(0, 0, 0);
    const QRgb silver = qRgb(0xC0, 0xC0, 0xC0);
    EXPECT_EQ(up.pixel(4, 1), black);
    EXPECT_EQ(up.pixel(3, 1), silver);
    EXPECT_EQ(up.pixel(1, 4), black);
    EXPECT_EQ(up.pixel(7, 4), black);
    EXPECT_EQ(up.pixel(0, 4), silver);
    EXPECT_EQ(up.pixel(4, 5), silver);
    EXPECT_EQ(down.pixel(1, 1), black);
    EXPECT_EQ(down.pixel(4, 4), black);
    EXPECT_EQ(down.pixel(3, 4), silver);
}

TEST_F(FormMainTest, CloseAsksOnlyWithUnsavedChangesAndCancelKeepsTheWindow)
{
    WriteSettings();
    TFormMain& form = Open();
    form.m_bChanged = true;
    s_nAnswer = IDCANCEL;
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(s_messages.size(), 1u);
    EXPECT_EQ(s_messages[0].strText, UiStrings[19]);
    EXPECT_EQ(s_messages[0].strCaption, "Varování");
    EXPECT_EQ(s_messages[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(s_messages[0].icon, MsgIcon::None);
    EXPECT_TRUE(form.m_bChanged);
    EXPECT_NE(pImageHeader, nullptr) << "a cancelled close frees nothing";

    s_nAnswer = IDOK;
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(s_messages.size(), 2u);
    EXPECT_EQ(pImageHeader, nullptr);
    EXPECT_EQ(pImageBits, nullptr);

    // Without unsaved changes nothing is asked.
    m_pForm.reset();
    s_messages.clear();
    TFormMain& second = Open();
    EXPECT_NE(pImageHeader, nullptr) << "allocated again by the next start";
    EXPECT_TRUE(second.close());
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(FormMainTest, EscapingExceptionsAreShownWithAClosingFullStop)
{
    WriteSettings();
    TFormMain& form = Open();
    Guarded(&form, [] { throw ExNormal("Error reading file /x/a.jpg"); });
    Guarded(&form, [] { throw ExCritical("Disk full."); });
    Guarded(&form, [] { throw std::runtime_error(""); });
    ASSERT_EQ(s_messages.size(), 3u);
    EXPECT_EQ(s_messages[0].strText, "Error reading file /x/a.jpg.");
    EXPECT_EQ(s_messages[0].strCaption, "Tirnavex");
    EXPECT_EQ(s_messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(s_messages[0].icon, MsgIcon::Error);
    EXPECT_EQ(s_messages[1].strText, "Disk full.");
    EXPECT_EQ(s_messages[2].strText, ".");
    EXPECT_TRUE(form.isVisible());
}

TEST_F(FormMainTest, TheApplicationTitleStaysOutOfTheWindowCaptions)
{
    const QString savedName = QCoreApplication::applicationName();
    SetApplicationTitle();
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Tirnavex"));
    // The display name only follows the name: nothing is pinned that Qt would append to every
    // caption ("Lodrevka 1.22 — Tirnavex", "Varování — Tirnavex").
    QCoreApplication::setApplicationName(QStringLiteral("Other"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Other"));
    QCoreApplication::setApplicationName(savedName);
}

TEST_F(FormMainTest, MessageBoxButtonsCarryTheCzechTexts)
{
    g_pfnMessageBoxHook = nullptr;  // the real box, answered below
    QStringList buttonTexts;
    QString boxText;
    bool bPlainText = false;
    const auto answer = [&](const char* pszButton) {
        QTimer::singleShot(0, [&, pszButton] {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(pBox, nullptr);
            boxText = pBox->text();
            const auto* pLabel = pBox->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            bPlainText = pLabel != nullptr && pLabel->textFormat() == Qt::PlainText;
            buttonTexts.clear();
            for (QAbstractButton* pButton : pBox->buttons())
                buttonTexts << pButton->text();
            for (QAbstractButton* pButton : pBox->buttons())
                if (pButton->text() == QString::fromUtf8(pszButton))
                    pButton->click();
        });
    };

    answer("Storno");
    EXPECT_EQ(ShowMessageBox(nullptr, UiStrings[22], UiStrings[20], MsgButtons::OkCancel, MsgIcon::None), IDCANCEL);
    EXPECT_EQ(boxText, Ui(22));
    buttonTexts.sort();
    EXPECT_EQ(buttonTexts, (QStringList{QStringLiteral("OK"), QStringLiteral("Storno")}))
        << "the question tells the user to press \"Storno\"";

    answer("OK");
    EXPECT_EQ(ShowMessageBox(nullptr, UiStrings[33], UiStrings[20], MsgButtons::OkCancel, MsgIcon::Exclamation), IDOK);
    answer("OK");
    EXPECT_EQ(ShowMessageBox(nullptr, UiStrings[23], UiStrings[24], MsgButtons::Ok, MsgIcon::None), IDOK);
    EXPECT_EQ(buttonTexts, QStringList{QStringLiteral("OK")});

    // A message that names a path is shown letter for letter, never as markup.
    answer("OK");
    ShowStandardException(nullptr, "Unable to write to /home/<b>x</b>/velmora.ini");
    EXPECT_EQ(boxText, QStringLiteral("Unable to write to /home/<b>x</b>/velmora.ini."));
    EXPECT_TRUE(bPlainText);
}

TEST_F(FormMainTest, LongFolderAndReferenceTextsEndBeforeTheControlsBesideThem)
{
    WriteSettings();
    TFormMain& form = Open();
    const std::string strFolder = "/" + std::string(300, 'd');
    form.m_strFolder = strFolder.c_str();
    form.UpdateControls();
    EXPECT_EQ(form.LabelFolder->text(), QStringLiteral("Složka: ") + QString::fromStdString(strFolder))
        << "the text itself is whole";
    EXPECT_LT(form.LabelFolder->geometry().right(), form.ButtonGetExif->x());

    COneFile file;
    file.m_strName = (std::string(200, 'n') + ".jpg").c_str();
    file.m_ftOriginal = Local(2006, 12, 24, 17, 5, 9);
    file.m_ftNew = Local(2006, 12, 24, 18, 5, 9);
    form.UpdateRefLabel1(file);
    form.UpdateRefLabel2(file);
    EXPECT_TRUE(form.LabelRefFile1->text().endsWith(Text(file.m_ftNew)));
    EXPECT_LT(form.LabelRefFile1->geometry().right(), form.CheckBoxDTOriginal->x());
    EXPECT_LT(form.LabelRefFile2->geometry().right(), form.CheckBoxDTDigitized->x());

    // Short texts keep the size of their text.
    form.m_strFolder = "/a";
    form.UpdateControls();
    EXPECT_EQ(form.LabelFolder->width(), form.LabelFolder->sizeHint().width());
}

TEST_F(FormMainTest, FolderAndFileNamesThatLookLikeMarkupAreShownAsTheyAre)
{
    WriteSettings();
    TFormMain& form = Open();
    // The size a label needs for its text taken letter for letter.
    const auto plainWidth = [](const QLabel* pLabel) {
        QLabel plain;
        plain.setFont(pLabel->font());
        plain.setTextFormat(Qt::PlainText);
        plain.setText(pLabel->text());
        return plain.sizeHint().width();
    };
    form.m_strFolder = "/photos/<b>2006</b>";
    form.UpdateControls();
    EXPECT_EQ(form.LabelFolder->text(), QStringLiteral("Složka: /photos/<b>2006</b>"));
    EXPECT_EQ(form.LabelFolder->sizeHint().width(), plainWidth(form.LabelFolder));

    COneFile file;
    file.m_strName = "<h1>IMG_0001</h1>.jpg";
    file.m_ftOriginal = file.m_ftNew = Local(2006, 12, 24, 17, 5, 9);
    form.UpdateRefLabel1(file);
    form.UpdateRefLabel2(file);
    EXPECT_EQ(form.LabelRefFile1->sizeHint().width(), plainWidth(form.LabelRefFile1));
    EXPECT_EQ(form.LabelRefFile2->sizeHint().width(), plainWidth(form.LabelRefFile2));
}

namespace {

class EventSpy : public QObject {
public:
    int m_nImageReady = 0;
    bool eventFilter(QObject*, QEvent* pEvent) override
    {
        m_nImageReady += pEvent->type() == static_cast<QEvent::Type>(WM_IMAGEREADY);
        return false;
    }
};

}  // namespace

TEST_F(FormMainTest, ImageReadyFromAnotherThreadReachesTheWindow)
{
    WriteSettings();
    TFormMain& form = Open();
    EventSpy spy;
    form.installEventFilter(&spy);
    ASSERT_NE(g_pfnPostImageReady, nullptr);
    std::thread worker([] { g_pfnPostImageReady(hMainWindow); });
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.m_nImageReady, 1);
}

namespace {

class UrlSpy : public QObject {
    Q_OBJECT
public:
    QList<QUrl> m_urls;
public slots:
    void Open(const QUrl& url) { m_urls << url; }
};

}  // namespace

TEST_F(FormMainTest, HelpButtonOpensTheHelpPageBesideTheProgram)
{
    WriteSettings();
    TFormMain& form = Open();
    UrlSpy spy;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &spy, "Open");
    form.ButtonHelp->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    const std::string strHelp = std::string(ExecutableFolder().Text()) + "/Velmora.html";
    ASSERT_EQ(spy.m_urls.size(), 1);
    EXPECT_EQ(spy.m_urls[0], QUrl::fromLocalFile(QString::fromStdString(strHelp)));
    EXPECT_TRUE(std::filesystem::is_regular_file(strHelp)) << "the build puts the help page there";
    EXPECT_TRUE(s_messages.empty());
}

TEST(HelpFile, TheCzechPageNamesEveryControlAndQuestionAsTheWindowShowsThem)
{
    const std::string strPage = TempFolder::Read(std::string(ExecutableFolder().Text()) + "/Velmora.html");
    EXPECT_NE(strPage.find("<html lang=\"cs\">"), std::string::npos);
    // Captions, column and unit texts, the chooser's, the questions and the notice.
    for (int nIndex : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 23, 25, 26, 27, 28, 33}) {
        const std::string strText = QString::fromUtf8(UiStrings[nIndex]).trimmed().toStdString();
        EXPECT_NE(strPage.find(strText), std::string::npos) << "UI string " << nIndex << ": " << strText;
    }
    for (const char* pszText : {"DateTimeOriginal", "DateTimeDigitized", "EXIF Info", "velmora-cli set-exif",
                                "velmora-cli date", "velmora-cli dump", "velmora.ini"})
        EXPECT_NE(strPage.find(pszText), std::string::npos) << pszText;
    // The route: time from EXIF first, the shift after it.
    const std::size_t nRoute = strPage.find("id=\"postup\"");
    ASSERT_NE(nRoute, std::string::npos);
    EXPECT_LT(strPage.find(UiStrings[13], nRoute), strPage.find("Potom", nRoute));
}

TEST(HelpFile, BesideTheProgramElseInstalledBesideItsBinFolder)
{
    TempFolder folder;
    const std::string strBin = folder.File("usr/bin");
    std::filesystem::create_directories(strBin);
    std::filesystem::create_directories(folder.File("usr/share/velmora"));
    EXPECT_STREQ(HelpFileFor(strBin).Text(), (strBin + "/Velmora.html").c_str()) << "neither: the first";
    const std::string strInstalled = folder.Write("usr/share/velmora/Velmora.html", "<html>");
    EXPECT_STREQ(HelpFileFor(strBin).Text(), strInstalled.c_str());
    const std::string strBeside = folder.Write("usr/bin/Velmora.html", "<html>");
    EXPECT_STREQ(HelpFileFor(strBin).Text(), strBeside.c_str());
    EXPECT_STREQ(HelpFileFor("/").Text(), "/Velmora.html");
}

TEST_F(FormMainTest, HelpThatCannotBeOpenedIsReportedInCzech)
{
    WriteSettings();
    TFormMain& form = Open();
    // Without a desktop (offscreen) nothing can show the page: the window says so.
    form.ButtonHelp->click();
    ASSERT_EQ(s_messages.size(), 1u);
    EXPECT_EQ(s_messages[0].strText, "Nápovědu " + std::string(ExecutableFolder().Text()) +
                                         "/Velmora.html nelze otevřít: v systému není nastaven žádný "
                                         "program pro zobrazení stránek HTML.");
    EXPECT_EQ(s_messages[0].strCaption, "Info");
    EXPECT_EQ(s_messages[0].buttons, MsgButtons::Ok);
}

#include "test_fmain.moc"
