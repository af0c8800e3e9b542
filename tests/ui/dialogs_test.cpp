#include "ui/prompts.h"
#include "hang_guard.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>

namespace velmora {
namespace {

// Runs `inside` on the dialog the next prompt opens, from within its loop.
void WhenDialogOpens(std::function<void(QWidget*)> inside)
{
    QTimer::singleShot(0, [inside = std::move(inside)] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        inside(dialog);
    });
}

// What a column needs to show its widest entry: the view's own measure.
int NeededWidth(const QTreeView* view, int column)
{
    struct Measure : QTreeView {
        using QTreeView::sizeHintForColumn;
    };
    return (view->*&Measure::sizeHintForColumn)(column);
}

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* client = new QWidget;
        auto* layout = new QVBoxLayout(client);
        layout->addWidget(new QLineEdit);
        layout->addWidget(second);
        main.setCentralWidget(client);
        main.show();
        QApplication::setActiveWindow(&main);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
        second->setFocus();
        prompts = MakeDialogPrompts(&main);
    }

    QMainWindow main;
    QLineEdit* second = new QLineEdit;
    Prompts prompts;
    QTemporaryDir dir;
};

TEST_F(Dialogs, KeyboardFocusGoesBackToTheOpener)
{
    const std::pair<const char*, std::function<void()>> prompt[] = {
        {"message", [&] { prompts.message("Error", "x"); }},
        {"warning", [&] { prompts.warning("Missing", "x"); }},
        {"confirm", [&] { prompts.confirm("file already exists; overwrite?"); }},
        {"colour", [&] { prompts.chooseColour(Qt::red); }},
        {"open", [&] { prompts.openFile("Load File", "track file|*.trk", dir.path()); }},
        {"save", [&] { prompts.saveFile("Save File As", "track file|*.trk", dir.path()); }},
    };
    for (const auto& [name, ask] : prompt) {
        SCOPED_TRACE(name);
        WhenDialogOpens([](QWidget* dialog) { dialog->close(); });
        ask();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&main, kHangGuardMs));
        EXPECT_EQ(QApplication::focusWidget(), second);
    }
}

TEST_F(Dialogs, FileDialogShowsNamesSizesAndDatesInFull)
{
    QFile file(dir.filePath("placement-of-the-kerbs-north-loop.trk"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(123456, 'x'));
    file.close();
    WhenDialogOpens([](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->viewMode(), QFileDialog::Detail);
        auto* view = files->findChild<QTreeView*>();
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) > 0; }, kHangGuardMs));
        QTest::qWait(50); // sizes and dates arrive after the names
        const QHeaderView* header = view->header();
        for (int column : {0, 1, 3}) { // name, size, date
            SCOPED_TRACE(column);
            EXPECT_GE(header->sectionSize(column), NeededWidth(view, column));
            EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column),
                      view->viewport()->width());
        }
        dialog->close();
    });
    prompts.openFile("Load File", "track file|*.trk", dir.path());
}

TEST_F(Dialogs, SaveDialogRefusesAFolderThatDoesNotExist)
{
    QString box;
    bool stayedOpen = false;
    WhenDialogOpens([&](QWidget* dialog) {
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText("no/such/folder/a.trk");
        WhenDialogOpens([&](QWidget* refusal) {
            if (auto* message = qobject_cast<QMessageBox*>(refusal))
                box = message->text();
            refusal->close();
        });
        QTest::keyClick(name, Qt::Key_Return);
        stayedOpen = dialog->isVisible();
        name->setText("a.trk");
        QTest::keyClick(name, Qt::Key_Return);
    });
    const QString chosen = prompts.saveFile("Save File As", "track file|*.trk", dir.path());
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(box, "folder does not exist: " + QDir::toNativeSeparators(dir.filePath("no/such/folder")));
    EXPECT_EQ(chosen, dir.filePath("a.trk"));
}

} // namespace
} // namespace velmora
