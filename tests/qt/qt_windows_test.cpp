// corelens-gui's windows on the offscreen platform: they are their tables and show the view
// model for recorded processors with every text whole, Copy fills the clipboard, Save can be
// cancelled and names a failure, each column sorts, and the about window's thread leaves
// nothing behind.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyleOptionButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <malloc.h>

#include "core/probe.h"
#include "platform/platform.h"
#include "tables/reference_tables.h"
#include "report/renderers.h"
#include "report/result_output.h"
#include "ui/feature_list.h"
#include "ui/qt/windows.h"

namespace corelens {
namespace {

bool use_dump(const QString& name) {
    RecordedCpuid source;
    RecordedCpuid::ParseError error;
    if (!source.load_file(std::string(CORELENS_DUMPS_DIR) + "/" + name.toStdString(), error)) return false;
    return probe_processor(processor_record, non_intel, source, [] { return 451.0; }) == 1;
}

// Under AddressSanitizer this stays put (its allocator is not glibc's); LeakSanitizer watches there.
std::size_t heap_in_use() { return mallinfo2().uordblks; }

int thread_count() { return static_cast<int>(QDir(QStringLiteral("/proc/self/task")).count()) - 2; }

}  // namespace

class QtWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        build_reference_tables();
        QStandardPaths::setTestModeEnabled(true);  // the file dialog's history stays out of the user's settings
    }

    void windowsAndCopy_data() {
        QTest::addColumn<QString>("dump");
        QTest::addColumn<QFont>("font");
        QTest::newRow("Athlon, DejaVu Sans") << "AuthenticAMD/athlon-thunderbird-644.txt" << QFont("DejaVu Sans", 9);
        QTest::newRow("Pentium 4, Liberation Sans") << "GenuineIntel/pentium-4-northwood-F24.txt" << QFont("Liberation Sans", 9);
        QTest::newRow("Athlon, large Liberation Sans") << "AuthenticAMD/athlon-thunderbird-644.txt" << QFont("Liberation Sans", 14);
        QTest::newRow("Athlon, DejaVu Sans Mono") << "AuthenticAMD/athlon-thunderbird-644.txt" << QFont("DejaVu Sans Mono", 10);
    }
    // At the application's font, each row of each window's table is a widget where the table puts
    // it in that font's dialog units (a label on its field's text line), showing the table's text
    // or the view model's value in a field that cannot be edited; every text fits its widget, the
    // about window's credits the window. Copy puts the text report on the clipboard.
    void windowsAndCopy() {
        QFETCH(QString, dump);
        QFETCH(QFont, font);
        if (!use_dump(dump)) QSKIP("dump collection absent");
        QApplication::setFont(font);
        qt::MainWindow main_window(".");
        qt::FeaturesWindow features(&main_window);
        qt::AboutWindow about(&main_window);
        std::vector<FieldText> fields = main_field_texts(processor_record), more = features_field_texts(processor_record);
        fields.insert(fields.end(), more.begin(), more.end());
        const QFontMetrics metrics(font);
        for (const auto& [window, layout] : {std::pair<qt::DressedDialog*, const DialogWindow*>{&main_window, &main_dialog()},
                                             {&features, &features_dialog()}, {&about, &about_dialog()}}) {
            QStringList shown, wanted, unfit;
            window->grab();  // a field places its line when it paints
            for (const DialogControl& row : *layout) {
                QWidget* w = window->widget(row.control);
                if (row.control == Control::unnamed) continue;
                const QRect at = window->units().to_pixels(row.at);
                const auto* label = qobject_cast<QLabel*>(w);
                const auto* button = qobject_cast<QPushButton*>(w);
                const auto* field = qobject_cast<QLineEdit*>(w);
                const bool placed = label ? w->x() == at.x() && w->width() == at.width() : w->geometry() == at;
                shown << (label ? label->text() : button ? button->text() + (button->isDefault() ? " [default]" : "")
                          : field ? field->text() + (field->isEnabled() ? "" : " [grey]") + (field->isReadOnly() ? "" : " [editable]")
                                  : w->metaObject()->className()) + (placed ? "" : " [misplaced]");
                wanted << QString::fromLatin1(row.text) + (row.kind == ControlKind::default_button ? " [default]" : "");
                for (const FieldText& f : fields) {
                    if (f.field == row.control)
                        wanted.last() = QString::fromUtf8(platform::utf8_from_windows1252(f.text).c_str()) + (f.enabled ? "" : " [grey]");
                }
                if (row.kind == ControlKind::list) wanted.last() = "QTreeWidget";
                if (row.kind == ControlKind::logo_frame) wanted.last() = "QFrame";
                // Room for the text as Qt lays it out: a button's contents, a field's line within its margins.
                QStyleOptionButton option;
                if (button) option.initFrom(button), option.features = QStyleOptionButton::AutoDefaultButton;
                const QRect room = label    ? label->contentsRect()
                                   : button ? button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                                   : field  ? field->rect().marginsRemoved(field->textMargins())
                                            : QRect(0, 0, 1 << 20, 1 << 20);
                const QString text = label || button ? QString::fromLatin1(row.text).remove('&') : QString();
                if (metrics.horizontalAdvance(text) > room.width() || metrics.height() > room.height())
                    unfit << QString::fromLatin1(row.text);
                // A label shares the text line of a field beside it.
                for (const QLineEdit* beside : window->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
                    const QRect line = beside->inputMethodQuery(Qt::ImCursorRectangle).toRect();
                    if (label && beside->x() > label->x() && beside->geometry().contains(beside->x(), label->geometry().center().y()) &&
                        beside->mapToParent(line.topLeft()).y() != label->y())
                        unfit << QString::fromLatin1(row.text) + " off its field's line";
                }
            }
            QCOMPARE(shown, wanted);
            if (auto* list = features.findChild<QTreeWidget*>(); window == &features) {
                for (int i = 0; i < list->columnCount(); ++i) {
                    const int needs = std::max(list->header()->sectionSizeHint(i), static_cast<QAbstractItemView*>(list)->sizeHintForColumn(i));
                    if (list->columnWidth(i) < needs) unfit << list->headerItem()->text(i);
                }
            }
            for (const CreditLine& line : k_credit_lines) {
                if (window == &about && window->units().from_windows_x(k_credits_x) + metrics.horizontalAdvance(line.text) > about.width())
                    unfit << line.text;
            }
            QVERIFY2(unfit.isEmpty(), qPrintable(unfit.join(", ")));
        }
        for (QPushButton* b : main_window.findChildren<QPushButton*>()) {
            if (b->text() == QLatin1String("&Copy")) QTest::mouseClick(b, Qt::LeftButton);
        }
        QApplication::setFont(QFont());
        // The clock line may differ by a second: compared from "General information:".
        const auto body = [](QString text) { return text.remove('\r').mid(text.indexOf("General information:")); };
        const QString report = QString::fromUtf8(
            platform::utf8_from_windows1252(render_text_report(processor_record, gather_report_context())).c_str());
        QCOMPARE(body(QApplication::clipboard()->text()), body(report));
    }

    // Save as a user goes through it: Esc at the question ends it; else the file dialog offers
    // the desktop's types, and a save that fails names the file. Each line: a window's title and text.
    void saveCancelsOrNamesAFailure() {
        qt::MainWindow main_window(".");
        QString path = QString::fromUtf8("n\u00e9ant/r.html");  // a folder that is not there
        const auto run = [&](bool escape) {
            QStringList seen;
            QPointer<QWidget> last;
            QTimer answer;
            connect(&answer, &QTimer::timeout, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                if (modal == nullptr || modal == last) return;
                last = modal;
                auto* box = qobject_cast<QMessageBox*>(modal);
                auto* files = qobject_cast<QFileDialog*>(modal);
                seen << modal->windowTitle() + ": " + (box ? box->text() : files ? files->nameFilters().join(", ") : "");
                if (escape) QTest::keyClick(modal, Qt::Key_Escape);
                else if (files) files->selectFile(path), path = files->selectedFiles().value(0), static_cast<QDialog*>(files)->accept();
                else box->button(box->button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok)->click();
            });
            answer.start(10);
            main_window.save();
            return seen;
        };
        const QString question = QString::fromLatin1(k_save_question.caption) + ": " + k_save_question.text;
        QCOMPARE(run(true), QStringList{question});
        const QStringList seen = run(false);
        std::string reason;
        save_results(path.toStdString(), k_create_always, ReportFormat::html, &reason);
        QVERIFY(path.endsWith(QString::fromUtf8("/n\u00e9ant/r.html")));
        QCOMPARE(seen, (QStringList{question, "Save Corelens-results: Text files (*.txt), HTML files (*.htm *.html)",
                                    "Error: Saving the results failed!\n\n" + path + ":\n" + QString::fromStdString(reason)}));
    }

    // A header click per column: the list shows the rows in the order the view model gives.
    void eachColumnSorts() {
        if (!use_dump("AuthenticAMD/athlon-thunderbird-644.txt")) QSKIP("dump collection absent");
        qt::FeaturesWindow window(nullptr);
        window.show();
        const auto rows = [list = window.list()] {
            std::vector<std::int32_t> positions;
            for (int i = 0; i < list->topLevelItemCount(); ++i) positions.push_back(list->topLevelItem(i)->data(0, Qt::UserRole).toInt());
            return positions;
        };
        QHeaderView* header = window.list()->header();
        for (int column = 0; column < 4; ++column) {
            SortFlags flags = sort_flags;
            const std::vector<std::int32_t> expected = sorted_positions(rows(), *click_column(flags, column), processor_record);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(column) + 5, 5));
            QVERIFY(rows() == expected);
        }
    }

    void aboutHundredTimesLeavesNothingBehind() {
        qt::MainWindow main_window(".");
        const auto open_and_close = [&] {
            qt::AboutWindow about(&main_window);
            about.show();
            QTest::qWait(30);  // a frame or two handed over
            about.accept();
        };
        for (int i = 0; i < 3; ++i) open_and_close();  // Qt's own caches filled once
        QCoreApplication::processEvents();
        const int threads = thread_count();
        const std::size_t heap = heap_in_use();
        for (int i = 0; i < 100; ++i) open_and_close();
        QCoreApplication::processEvents();
        QCOMPARE(thread_count(), threads);
        const std::size_t grown = heap_in_use() > heap ? heap_in_use() - heap : 0;
        QVERIFY2(grown < 16 * 1024, qPrintable(QString("heap grew by %1 bytes").arg(grown)));
    }
};

}  // namespace corelens

QTEST_MAIN(corelens::QtWindows)
#include "qt_windows_test.moc"
