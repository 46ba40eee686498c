// corelens-gui's windows on the offscreen platform: they are their tables and show the view
// model for recorded processors, Copy fills the clipboard, each column sorts, and the about
// window's thread leaves nothing behind.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
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
    void initTestCase() { build_reference_tables(); }

    void windowsAndCopy_data() {
        QTest::addColumn<QString>("dump");
        QTest::newRow("Athlon") << "AuthenticAMD/athlon-thunderbird-644.txt";
        QTest::newRow("Pentium 4") << "GenuineIntel/pentium-4-northwood-F24.txt";
    }
    // Every row of each window's table but the painted labels is a widget where the table puts it,
    // in the window font's dialog units, showing the table's text or the view model's value;
    // Copy puts the text report on the clipboard.
    void windowsAndCopy() {
        QFETCH(QString, dump);
        if (!use_dump(dump)) QSKIP("dump collection absent");
        qt::MainWindow main_window(".");
        qt::FeaturesWindow features(&main_window);
        qt::AboutWindow about(&main_window);
        std::vector<FieldText> fields = main_field_texts(processor_record), more = features_field_texts(processor_record);
        fields.insert(fields.end(), more.begin(), more.end());
        for (const auto& [window, layout] : {std::pair<QWidget*, const DialogWindow*>{&main_window, &main_dialog()},
                                             {&features, &features_dialog()}, {&about, &about_dialog()}}) {
            QStringList shown, wanted;
            for (const DialogControl& row : *layout) {
                if (row.kind == ControlKind::label || row.kind == ControlKind::heading) continue;
                shown << "nothing";
                for (QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                    const auto* label = qobject_cast<QLabel*>(w);
                    const auto* button = qobject_cast<QPushButton*>(w);
                    if (w->geometry() != qt::DialogUnits(window->font()).to_pixels(row.at)) continue;
                    shown.last() = label    ? label->text() + (label->isEnabled() ? "" : " [grey]")
                                   : button ? button->text() + (button->isDefault() ? " [default]" : "")
                                            : w->metaObject()->className();
                }
                wanted << QString::fromLatin1(row.text) + (row.kind == ControlKind::default_button ? " [default]" : "");
                for (const FieldText& f : fields) {
                    if (f.field == row.control)
                        wanted.last() = QString::fromUtf8(platform::utf8_from_windows1252(f.text).c_str()) + (f.enabled ? "" : " [grey]");
                }
                if (row.kind == ControlKind::list) wanted.last() = "QTreeWidget";
                if (row.kind == ControlKind::group_box || row.kind == ControlKind::separator || row.kind == ControlKind::logo_frame)
                    wanted.last() = "QFrame";
            }
            QCOMPARE(shown, wanted);
        }
        for (QPushButton* b : main_window.findChildren<QPushButton*>()) {
            if (b->text() == QLatin1String("&Copy")) QTest::mouseClick(b, Qt::LeftButton);
        }
        // The clock line may differ by a second: compared from "General information:".
        const auto body = [](QString text) { return text.remove('\r').mid(text.indexOf("General information:")); };
        const QString report = QString::fromUtf8(
            platform::utf8_from_windows1252(render_text_report(processor_record, gather_report_context())).c_str());
        QCOMPARE(body(QApplication::clipboard()->text()), body(report));
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
