// One click on the index spinner's up arrow in the real main window, on the offscreen platform: the nested
// read of the shown message's end code, the read of the next message, and the "ROM Text" pane drawn anew.
#include "bench/BenchRom.h"
#include "bench/FloorReporter.h"
#include "editor/GameDialog.h"
#include "tests/support/EditorDriver.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <array>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

using kyrel::bench::BenchRom;
using kyrel::bench::MessageSpan;

namespace {

// Clicks before the counter is taken back to the bank's first message, well before bank 2's messages run out.
constexpr int ClicksPerRound = 600;

// The main window, shown and drawn, with the benchmark ROM loaded through its file dialog and bank 2 chosen:
// bank 2 has no message where the up arrow stops.
class LoadedWindow {
public:
    LoadedWindow() : m_driver(m_dialog) {
        m_dialog.show();
        if (!QTest::qWaitForWindowExposed(&m_dialog))
            qFatal("the main window was never shown");
        m_driver.Load(QString::fromStdString(BenchRom::Shared().Path().string()));
        if (m_dialog.Session().RomPath().isEmpty())
            qFatal("the benchmark ROM did not load");
        BackToFirstMessage();
    }

    // Bank 1 and back to bank 2 with the bank arrows: index 1, the first message of bank 2 shown.
    void BackToFirstMessage() {
        if (m_driver.Text("BankNo") == QLatin1String("2"))
            m_driver.Click("Bank", true);
        m_driver.Click("Bank", true);
        QApplication::processEvents();
        if (m_dialog.Session().ViewStartPos() != BenchRom::Shared().Messages(2).front().start)
            qFatal("bank 2 did not start at its first message");
    }

    EditorDriver& Driver() { return m_driver; }
    GameDialog& Dialog() { return m_dialog; }

private:
    GameDialog m_dialog;
    EditorDriver m_driver;
};

std::unique_ptr<LoadedWindow> g_window;

LoadedWindow& Window() {
    if (!g_window)
        g_window = std::make_unique<LoadedWindow>();
    return *g_window;
}

// A click as the user makes it, then the event loop's turn that draws what changed.
void IndexUpClick(benchmark::State& state) {
    LoadedWindow& window = Window();
    window.BackToFirstMessage();
    int clicks = 0;
    for (auto _ : state) {
        if (clicks == ClicksPerRound) {
            state.PauseTiming();
            window.BackToFirstMessage();
            clicks = 0;
            state.ResumeTiming();
        }
        window.Driver().Click("Index", true);
        QApplication::processEvents();
        ++clicks;
    }
    const auto& messages = BenchRom::Shared().Messages(2);
    if (window.Dialog().Session().ViewStartPos() != messages[static_cast<std::size_t>(clicks)].start)
        state.SkipWithError("the clicks did not step message by message");
}
BENCHMARK(IndexUpClick)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", kyrel::bench::Fastest);

// The file access of the same click and nothing else: the end code read again, then the next message, each
// with its own open and close.
void IndexUpClick_Floor(benchmark::State& state) {
    const BenchRom& rom = BenchRom::Shared();
    const auto& messages = rom.Messages(2);
    std::array<unsigned char, 4096> buffer{};
    std::size_t shown = 0;
    auto readBytes = [&](std::int32_t start, std::int32_t length) {
        const int fd = ::open(rom.Path().c_str(), O_RDONLY);
        const ssize_t got = ::pread(fd, buffer.data(), static_cast<std::size_t>(length), static_cast<off_t>(start - 1));
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
        return got == length;
    };
    for (auto _ : state) {
        if (shown + 1 == ClicksPerRound)
            shown = 0;
        const MessageSpan& current = messages[shown];
        const MessageSpan& next = messages[shown + 1];
        if (!readBytes(current.start + current.length - 1, 1) || !readBytes(next.start, next.length)) {
            state.SkipWithError("the floor could not read a message");
            return;
        }
        ++shown;
    }
}
BENCHMARK(IndexUpClick_Floor)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->ComputeStatistics("min", kyrel::bench::Fastest);

// For comparison: the pane alone given the same two texts a click gives it, and drawn.
void PaneUpdate(benchmark::State& state) {
    LoadedWindow& window = Window();
    window.BackToFirstMessage();
    auto* pane = window.Driver().Get<QPlainTextEdit>("text1");
    const QString endCode = QStringLiteral("\n\n");
    const QString message = pane->toPlainText();
    for (auto _ : state) {
        pane->setPlainText(endCode);
        pane->setPlainText(message);
        QApplication::processEvents();
    }
}
BENCHMARK(PaneUpdate)->Unit(benchmark::kMicrosecond)->UseRealTime()->ComputeStatistics("min", kyrel::bench::Fastest);

} // namespace

int main(int argc, char** argv) {
    if (!kyrel::bench::InitializeBenchmarks(&argc, argv))
        return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int result = kyrel::bench::RunBenchmarks({
        {"IndexUpClick", "IndexUpClick_Floor", 0, 2e-3},
        {"PaneUpdate", "", 0, 0},
    });
    g_window.reset();
    return result;
}
