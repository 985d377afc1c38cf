// Qt's own dialogs as the program shows them: in Polish, and the print dialog proposing what the
// program asks it to and reading back what was chosen in it.
#include "app/QtUiServices.h"
#include "platform/QtTranslations.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

namespace {

class QtDialogs : public testsupport::PolishTest {};

TEST_F(QtDialogs, StandardButtonsAndContextMenusSpeakPolish)
{
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Anuluj"));
    EXPECT_EQ(box.button(QDialogButtonBox::Save)->text(), QStringLiteral("Zachowaj"));
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->text().section(QLatin1Char('\t'), 0, 0));
    EXPECT_TRUE(texts.contains(QStringLiteral("&Cofnij"))) << texts.join(',').toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("&Wklej"))) << texts.join(',').toStdString();
}

TEST_F(QtDialogs, ThePrintDialogProposesTheFileAndPaperAndReturnsWhatWasChosen)
{
    PrintChoice proposed;
    proposed.file = path("Pozycje.pdf");
    proposed.copies = 2;
    proposed.paper = QPageSize::A3;
    proposed.orientation = QPageLayout::Landscape;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = true;
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Drukowanie"));
        EXPECT_EQ(dialog->findChild<QLineEdit *>("filename")->text(), path("Pozycje.pdf"));
        auto *current = dialog->findChild<QRadioButton *>("printCurrentPage");
        EXPECT_EQ(current->text(), QStringLiteral("Bieżąca strona"));
        EXPECT_TRUE(current->isEnabled());
        EXPECT_EQ(dialog->findChild<QSpinBox *>("copies")->value(), 2);
        // The options shown, the current page, three copies, not collated.
        for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
            if (button->text() == QStringLiteral("&Opcje >>"))
                button->click();
        }
        current->setChecked(true);
        dialog->findChild<QSpinBox *>("copies")->setValue(3);
        dialog->findChild<QCheckBox *>("collate")->setChecked(false);
        if (!qEnvironmentVariableIsEmpty("KWERIX_SCREENSHOTS")) {
            QApplication::processEvents();
            dialog->grab().save(qEnvironmentVariable("KWERIX_SCREENSHOTS") + QStringLiteral("/drukowanie.png"));
        }
        dialog->accept();
    });
    QtUiServices ui;
    const std::optional<PrintChoice> choice = ui.printDialog({QStringLiteral("Pozycje"), 3, 2}, proposed);
    ASSERT_TRUE(seen);
    ASSERT_TRUE(choice);
    EXPECT_TRUE(choice->printer.isEmpty());
    EXPECT_EQ(choice->file, path("Pozycje.pdf"));
    EXPECT_EQ(choice->range, PrintChoice::Range::CurrentPage);
    EXPECT_EQ(choice->copies, 3);
    EXPECT_FALSE(choice->collate);
    EXPECT_EQ(choice->paper, QPageSize::A3);
    EXPECT_EQ(choice->orientation, QPageLayout::Landscape);

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_FALSE(ui.printDialog({QStringLiteral("Pozycje"), 3, 0}, proposed));
}

} // namespace
