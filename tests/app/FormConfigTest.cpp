#include <QComboBox>
#include <QLineEdit>
#include <QTextDocumentFragment>

#include "app/settings/TFormConfig.h"
#include "files/Settings.h"
#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

namespace {

QColor previewColour(const TFormConfig& dialog, QPalette::ColorRole role) {
    return control<QLabel>(dialog, "stExample")->palette().color(role);
}

// A tooltip's text as a person sees it: Qt shows text that looks like HTML as HTML.
QString shownTip(const QString& tip) {
    return Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
}

} // namespace

TEST_F(MainFormTest, DialogShowsTheSettingsAndPreviewsTheirColours) {
    struct Case {
        const char* ini;
        int bgEntry, textEntry;
        QColor bg, text;
    };
    const Case cases[] = {
        {"[EDIT]\nBG_COLOR=1\nTXT_COLOR=2\n", 1, 2, QColor(0, 0, 128), QColor(0, 255, 255)},
        {"[EDIT]\nBG_COLOR=2\nTXT_COLOR=0x3\n", 2, 3, QColor(255, 255, 255), QColor(0, 0, 255)},
        {"", 0, 4, QColor(0, 0, 0), QColor(255, 255, 255)},
        // Outside the lists: nothing selected, the preview keeps yellow on black.
        {"[EDIT]\nBG_COLOR=3\nTXT_COLOR=-1\n", -1, -1, QColor(0, 0, 0), QColor(255, 255, 0)},
    };
    for (const Case& c : cases) {
        writeIni(c.ini);
        TFormConfig dialog;
        EXPECT_EQ(dialog.windowTitle(), "Veltra  Настройки");
        EXPECT_EQ(control<QComboBox>(dialog, "cbBGcolor")->currentIndex(), c.bgEntry) << c.ini;
        EXPECT_EQ(dialog.selectedTextColour(), c.textEntry) << c.ini;
        EXPECT_EQ(previewColour(dialog, QPalette::Window), c.bg) << c.ini;
        EXPECT_EQ(previewColour(dialog, QPalette::WindowText), c.text) << c.ini;
    }
}

TEST_F(MainFormTest, DialogPortListMatchesOnlyExactNamesAndSpeedIsFixed) {
    writeFile(iniPath(),
              "[LINK]\nPORT_NAME=COM4\nPORT_SPEED=9600\n[PORTS]\nCOM2=/dev/ttyUSB0\n"); // no window, no port
    TFormConfig dialog;
    EXPECT_EQ(control<QComboBox>(dialog, "cbPortName")->currentIndex(), -1);
    EXPECT_FALSE(control<QComboBox>(dialog, "cbPortSpeed")->isEnabled());
    EXPECT_EQ(control<QComboBox>(dialog, "cbPortSpeed")->currentText(), "57600");
    EXPECT_EQ(shownTip(control<QComboBox>(dialog, "cbPortName")->itemData(1, Qt::ToolTipRole).toString()),
              "COM2 = /dev/ttyUSB0");
    EXPECT_TRUE(control<QComboBox>(dialog, "cbPortName")->toolTip().contains("COM1 = /dev/ttyS0"));

    // Saved without a choice: the name is stored empty, the speed as it was.
    dialog.btSaveClick();
    QByteArray ini = readFile(iniPath());
    EXPECT_TRUE(ini.contains("PORT_NAME=\n")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("PORT_SPEED=9600\n"));
    EXPECT_TRUE(ini.contains("COM2=/dev/ttyUSB0\n"));
    EXPECT_EQ(appSettings().PORT_NAME, "");

    writeFile(iniPath(), "[LINK]\ncom_name=x\nPORT_NAME=com1\n");
    TFormConfig lowerCase;
    EXPECT_EQ(control<QComboBox>(lowerCase, "cbPortName")->currentIndex(), -1); // exact comparison
}

TEST_F(MainFormTest, PreviewFollowsTheListsAndTypedTextSelectsNothing) {
    TFormConfig dialog;
    control<QComboBox>(dialog, "cbBGcolor")->setCurrentIndex(2);
    EXPECT_EQ(dialog.previewBg(), 2);
    EXPECT_EQ(previewColour(dialog, QPalette::Window), QColor(255, 255, 255));
    control<QComboBox>(dialog, "cbTEXTcolor")->setCurrentIndex(1);
    EXPECT_EQ(previewColour(dialog, QPalette::WindowText), QColor(255, 255, 0));
    control<QComboBox>(dialog, "cbTEXTcolor")->lineEdit()->setText(QStringLiteral("зелёный"));
    EXPECT_EQ(dialog.previewText(), -1);
    EXPECT_EQ(previewColour(dialog, QPalette::WindowText), QColor(255, 255, 0)); // unchanged
    control<QComboBox>(dialog, "cbTEXTcolor")->lineEdit()->setText(QStringLiteral("голубой"));
    EXPECT_EQ(dialog.previewText(), 2);
}

TEST_F(MainFormTest, SettingsButtonAppliesSavedColoursAndCancelWritesNothing) {
    start();
    form->close(); // the file now holds every key
    form.reset();
    start();
    const QByteArray before = readFile(iniPath());

    dialogs.modal = [](QDialog& shown) {
        auto& dialog = static_cast<TFormConfig&>(shown);
        control<QComboBox>(dialog, "cbBGcolor")->setCurrentIndex(1);
        dialog.btCancelClick();
        return dialog.result();
    };
    button("btParam")->click();
    EXPECT_EQ(readFile(iniPath()), before);
    EXPECT_EQ(edit()->palette().color(QPalette::Base), QColor(0, 0, 0));

    dialogs.modal = [](QDialog& shown) {
        auto& dialog = static_cast<TFormConfig&>(shown);
        control<QComboBox>(dialog, "cbBGcolor")->setCurrentIndex(1);
        control<QComboBox>(dialog, "cbTEXTcolor")->setCurrentIndex(2);
        dialog.btSaveClick();
        return dialog.result();
    };
    button("btParam")->click();
    EXPECT_EQ(dialogs.last(DialogCall::Modal).text, "Veltra  Настройки");
    EXPECT_EQ(edit()->palette().color(QPalette::Base), QColor(0, 0, 128));
    EXPECT_EQ(edit()->palette().color(QPalette::Text), QColor(0, 255, 255));
    EXPECT_TRUE(readFile(iniPath()).contains("BG_COLOR=1\nTXT_COLOR=2\n"));

    // Typed text in the colour field stores -1; the editor keeps its colour.
    dialogs.modal = [](QDialog& shown) {
        auto& dialog = static_cast<TFormConfig&>(shown);
        control<QComboBox>(dialog, "cbTEXTcolor")->lineEdit()->setText(QStringLiteral("розовый"));
        dialog.btSaveClick();
        return dialog.result();
    };
    button("btParam")->click();
    EXPECT_TRUE(readFile(iniPath()).contains("TXT_COLOR=-1\n"));
    EXPECT_EQ(edit()->palette().color(QPalette::Text), QColor(0, 255, 255));
}

TEST_F(MainFormTest, HandEditsTakeEffectWhenTheDialogOpensEvenOnCancel) {
    start();
    form->close();
    form.reset();
    start();
    QByteArray ini = readFile(iniPath());
    ini.replace("BG_COLOR=0", "BG_COLOR=2");
    writeIni(ini);
    button("btParam")->click(); // no script: cancelled
    EXPECT_EQ(edit()->palette().color(QPalette::Base), QColor(255, 255, 255));
}

TEST_F(MainFormTest, AFailedSaveInTheDialogIsReportedAndKeepsItOpen) {
    start();
    form->close();
    form.reset();
    start();
    dialogs.modal = [this](QDialog& shown) {
        auto& dialog = static_cast<TFormConfig&>(shown);
        // The file turns into a folder behind the program's back.
        QFile::setPermissions(iniPath(), QFile::permissions(iniPath()) | QFileDevice::WriteOwner);
        QFile::remove(iniPath());
        QDir(dir.path()).mkdir("Veltra.ini");
        control<QComboBox>(dialog, "cbBGcolor")->setCurrentIndex(2);
        control<QPushButton>(dialog, "btSave")->click();
        EXPECT_FALSE(dialog.result() == QDialog::Accepted);
        return int(QDialog::Rejected);
    };
    button("btParam")->click();
    EXPECT_EQ(dialogs.last(DialogCall::Error).text, "Unable to write to " + iniPath());
    EXPECT_EQ(appSettings().BG_COLOR, 0); // memory still agrees with the last good file
    EXPECT_EQ(edit()->palette().color(QPalette::Base), QColor(0, 0, 0));
}

TEST_F(MainFormTest, DeviceChooserOffersTheVirtualBoardAndSavesOnlyWhatWasPicked) {
    PtyBoardPeer second;
    const QString link = dir.filePath("virtual-board");
    ASSERT_TRUE(QFile::link(QString::fromStdString(second.slavePath()), link));
    const QByteArray comment = "; COM2=/dev/ttyUSB0 was the old adapter\n";
    writeFile(iniPath(), portsSection() + comment);
    TFormConfig dialog;
    auto* names = control<QComboBox>(dialog, "cbPortName");
    auto* devices = control<QComboBox>(dialog, "cbDevice");
    names->setCurrentIndex(1);

    // The configured device is offered, marked, though it is absent.
    EXPECT_EQ(devices->currentText(), "нет устройства — " + dir.filePath("absent-COM2"));
    const int board = devices->findData(QFile::encodeName(link));
    ASSERT_GE(board, 0);
    EXPECT_TRUE(devices->itemText(board).startsWith("виртуальная плата (pts/"))
        << devices->itemText(board).toStdString();
    devices->setCurrentIndex(board);
    EXPECT_EQ(shownTip(names->itemData(1, Qt::ToolTipRole).toString()), "COM2 = " + link);
    dialog.btSaveClick();

    QByteArray ports = portsSection();
    ports.replace(dir.filePath("absent-COM2").toUtf8(), link.toUtf8());
    EXPECT_TRUE(readFile(iniPath()).startsWith(ports + comment)) << readFile(iniPath()).toStdString();
    EXPECT_EQ(appSettings().PORTS[1], QFile::encodeName(link));
    EXPECT_TRUE(dialog.savedNewDeviceFor("COM2"));
    EXPECT_FALSE(dialog.savedNewDeviceFor("COM1"));
}

TEST_F(MainFormTest, DeviceNamesAreShownAsPlainTextWithHiddenControlsMadeVisible) {
    // A device path that looks like HTML and hides a right-to-left override.
    const QString odd = dir.filePath(QString::fromUtf8("<h1>big<font color=red>rtl\u202Egpj.exe"));
    writeFile(iniPath(), "[PORTS]\nCOM1=" + QFile::encodeName(odd) + "\n");
    TFormConfig dialog;
    auto* names = control<QComboBox>(dialog, "cbPortName");
    auto* devices = control<QComboBox>(dialog, "cbDevice");
    names->setCurrentIndex(0);
    const QString shown = dir.filePath("<h1>big<font color=red>rtl\\u202Egpj.exe");
    EXPECT_EQ(devices->currentText(), "нет устройства — " + shown);
    EXPECT_EQ(shownTip(devices->toolTip()), shown);
    EXPECT_EQ(shownTip(names->itemData(0, Qt::ToolTipRole).toString()), "COM1 = " + shown);
    EXPECT_TRUE(shownTip(names->toolTip()).startsWith("COM1 = " + shown + "\n"));
}

TEST_F(MainFormTest, DeviceChooserFollowsDevicesWhileTheDialogIsShown) {
    PtyBoardPeer second;
    TFormConfig dialog;
    dialog.show();
    auto* devices = control<QComboBox>(dialog, "cbDevice");
    const QString link = dir.filePath("virtual-board");
    auto listed = [&] { return devices->findData(QFile::encodeName(link)) >= 0; };
    EXPECT_FALSE(listed());
    ASSERT_TRUE(QFile::link(QString::fromStdString(second.slavePath()), link)); // a virtual board starts
    EXPECT_TRUE(waitFor(listed));
    QFile::remove(link); // and stops
    EXPECT_TRUE(waitFor([&] { return !listed(); }));
}
