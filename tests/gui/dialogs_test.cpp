#include "gui/gui_fixture.h"
#include "services/message_dialog.h"
#include "services/qt_dialogs.h"
#include "widgets/drive_list.h"
#include "widgets/window_parts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextEdit>

namespace orbisk {
namespace {

using namespace testing;

// Runs check on the message box once it is up, then presses its OK.
void onMessageBox(std::function<void(MessageDialog&)> check) {
    whenShown([] { return QApplication::activeModalWidget(); },
              [check] {
                  auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
                  ASSERT_NE(box, nullptr);
                  check(*box);
                  box->accept();
              });
}

TEST(MessageBox, ShowsAVeryLongTitleWholeInsideTheBox) {
    const std::string title(300, 'T');
    const std::string text = title + "のメディアの準備が出来ていません。";
    bool checked = false;
    onMessageBox([&](MessageDialog& box) {
        const QTextEdit* view = box.textView();
        EXPECT_EQ(view->toPlainText().toStdString(), text);
        EXPECT_EQ(box.windowTitle(), "データベースの構築");
        // Nothing is cut: the text needs no scrolling either way, and lies inside the box.
        EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
        EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
        EXPECT_LE(view->document()->size().width(), view->viewport()->width());
        EXPECT_LE(view->document()->size().height(), view->viewport()->height() + 1);
        EXPECT_TRUE(box.rect().contains(view->geometry()));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_LE(box.width(), screen.width());
        EXPECT_LE(box.height(), screen.height());
        EXPECT_GT(view->height(), view->fontMetrics().height() * 3) << "the long line wraps";
        checked = true;
    });
    QtDialogs().message({MessageId::RegisterTitle, {{MessageId::DiscNotReady, {title}}}},
                        Buttons::Ok);
    EXPECT_TRUE(checked);
}

TEST(MessageBox, IsADialogWithACloseBoxAndNeitherMinimiseNorMaximise) {
    bool checked = false;
    onMessageBox([&](MessageDialog& box) {
        const Qt::WindowFlags flags = box.windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint)) << "the hints below are all";
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
        checked = true;
    });
    QtDialogs().message({MessageId::RegisterTitle, {{MessageId::Registered, {}}}}, Buttons::Ok);
    EXPECT_TRUE(checked);
}

TEST(MessageBox, LinesThatFitAreNotWrapped) {
    UseJapaneseTexts();
    const Notice offer{MessageId::ProgramName,
                       {{MessageId::OfferNewCatalog, {}},
                        Verbatim("/home/someone/.local/share/orbisk/Orbisk.mdb")}};
    qreal height = 0;
    qreal line = 0;
    onMessageBox([&](MessageDialog& box) {
        const QTextEdit* view = box.textView();
        height = view->document()->size().height() - 2 * view->document()->documentMargin();
        line = view->fontMetrics().lineSpacing();
    });
    QtDialogs().message(offer, Buttons::OkCancel);
    EXPECT_LT(height, 2.5 * line) << "two lines, each on one line";
}

TEST(MessageBox, QtsOwnTextsAreJapanese) {
    UseJapaneseTexts();
    Answer answer = Answer::Ok;
    onMessageBox([](MessageDialog& box) {
        const auto* buttons = box.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), "キャンセル");
        EXPECT_TRUE(QApplication::font().families().contains("IPAPGothic"));
    });
    answer = QtDialogs().message({MessageId::CopyTitle, {{MessageId::InsertDisc, {"CD"}}}},
                                 Buttons::OkCancel);
    EXPECT_EQ(answer, Answer::Ok);
}

class DriveListTest : public ::testing::Test {
protected:
    FakeFileSystem files;
    QStringList entries(const DriveList& list) {
        QStringList out;
        for (int i = 0; i < list.count(); ++i) {
            out << list.itemText(i);
        }
        return out;
    }
};

TEST_F(DriveListTest, IsReadAgainOnOpeningAndKeepsTheCurrentDriveWhileItIsThere) {
    files.addDrive("c:");
    files.addDrive("e:", true, DriveKind::Optical);
    DriveList list(files, "ディスクのフォルダを選択", nullptr);
    list.setDrive("e:");
    EXPECT_EQ(entries(list), (QStringList{"c:", "e:", "フォルダを選択..."}));

    files.addDrive("f:", true, DriveKind::Removable); // a disc mounted after the start
    list.showPopup();
    list.hidePopup();
    EXPECT_EQ(entries(list), (QStringList{"c:", "e:", "f:", "フォルダを選択..."}));
    EXPECT_EQ(list.driveText(), "e:");

    list.setFallback([] { return std::string("c:"); });
    files.removeDrive("e:"); // taken out while the program runs
    list.showPopup();
    list.hidePopup();
    EXPECT_EQ(entries(list), (QStringList{"c:", "f:", "フォルダを選択..."}));
    EXPECT_EQ(list.driveText(), "c:");
    EXPECT_EQ(list.toolTip(), "c:");
}

TEST_F(DriveListTest, FirstDiscIsTheFirstOpticalDriveElseTheFirstRemovableVolume) {
    files.addDrive("c:");
    files.addDrive("r:", true, DriveKind::Removable);
    DriveList list(files, "", nullptr);
    EXPECT_EQ(list.firstDisc(), "r:");
    files.addDrive("e:", true, DriveKind::Optical);
    list.refresh();
    EXPECT_EQ(list.firstDisc(), "e:");
    FakeFileSystem fixedOnly;
    fixedOnly.addDrive("c:");
    EXPECT_FALSE(DriveList(fixedOnly, "", nullptr).firstDisc().has_value());
}

} // namespace
} // namespace orbisk
