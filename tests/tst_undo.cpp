// Undo Write: every write since the ROM was chosen is taken back, newest first, byte for byte, and never over
// bytes another program changed since.
#include "editor/MessageSession.h"
#include "tests/support/EditorTest.h"

#include <QAction>
#include <QTest>

#include <random>

using kyrel::Bank1Start;
using kyrel::testing::RomBytes;
using kyrel::testing::SyntheticRom;
using Bytes = std::vector<std::uint8_t>;

namespace {

const std::vector<std::u16string> Messages = {u"First", u"Second one", u"Third", u"<COLOR>002Four<BR>th", u"Fifth"};

// Reads the message at a position as index view does, so that a write goes there.
[[nodiscard]] bool ReadAt(MessageSession& session, std::int32_t position) {
    session.SetReadPos(position);
    return session.ReadMessage(kyrel::StopRule::IndexView()).ok();
}

} // namespace

class TestUndo : public EditorTest {
    Q_OBJECT

private slots:
    void undoRestoresEveryWrite_data();
    void undoRestoresEveryWrite();
    void undoThroughTheMenu();
};

// Random writes over the messages (shorter, longer, over each other, some stopped midway), then Undo Write until
// there is nothing left to undo. With `changed`, another program changes a byte of the newest write first.
void TestUndo::undoRestoresEveryWrite_data() {
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<bool>("changed");
    for (unsigned seed = 1; seed <= 8; ++seed)
        QTest::addRow("writes, seed %u", seed) << seed << false;
    for (unsigned seed = 1; seed <= 3; ++seed)
        QTest::addRow("changed by another program, seed %u", seed) << seed << true;
}

void TestUndo::undoRestoresEveryWrite() {
    QFETCH(unsigned, seed);
    QFETCH(bool, changed);
    const QString path = RomPath();
    SyntheticRom rom;
    std::vector<std::int32_t> starts;
    for (std::int32_t position = Bank1Start; const auto& text : Messages) {
        starts.push_back(position);
        position = rom.PutText(position, text);
    }
    kyrel::testing::SaveRom(path, rom);
    MessageSession session;
    session.SetRomPath(path);
    QVERIFY(!session.UndoPosition());

    std::mt19937 random(seed);
    const std::u16string texts[] = {u"Hi", u"A much longer text than any message<BR>here", u"<SPEED>003the end",
                                    u"<E>"};
    const int writes = 2 + static_cast<int>(random() % 6);
    std::optional<std::int32_t> newest; // where the newest write that put a byte in began
    for (int i = 0; i < writes; ++i) {
        const std::int32_t start = starts[random() % starts.size()];
        QVERIFY(ReadAt(session, start));
        const MessageSession::WritePlan plan = session.PlanWrite(texts[random() % std::size(texts)]);
        QVERIFY(!plan.Refused());
        // Sometimes the file is away when the write reaches one of its bytes, so the write stops there.
        const std::int64_t away =
            random() % 3 == 0 ? start + static_cast<std::int64_t>(random() % plan.bytes.size()) : 0;
        const kyrel::WriteResult written = session.Write(plan, [&](std::int64_t position, kyrel::ByteStep step) {
            if (position == away && step == kyrel::ByteStep::BeforeOpen)
                QFile::rename(path, path + QStringLiteral(".away"));
        });
        QFile::rename(path + QStringLiteral(".away"), path);
        QCOMPARE(written.ok(), away == 0);
        session.EndWrite();
        newest = away == start ? newest : start;
        QVERIFY(session.UndoPosition() == newest);
    }

    if (changed) {
        QVERIFY(newest);
        Bytes now = RomBytes(path);
        now[static_cast<std::size_t>(*newest)] ^= 0xFF; // the byte at position newest + 1
        SyntheticRom other(now.size());
        other.Put(1, now);
        kyrel::testing::SaveRom(path, other);
        const WriteHistory::Undo undo = session.UndoWrite();
        QCOMPARE(undo.result.bytes, 0);
        QCOMPARE(undo.result.failure.code, kyrel::FailureCode::ChangedSinceWrite);
        QCOMPARE(undo.result.failure.position, *newest + 1);
        QCOMPARE(RomBytes(path), now);
        QVERIFY(session.UndoPosition() == newest);
        return;
    }
    int undone = 0;
    while (session.UndoPosition()) {
        const WriteHistory::Undo undo = session.UndoWrite();
        QVERIFY2(undo.result.ok(), kyrel::testing::Shown(undo.result.failure).c_str());
        QVERIFY(++undone <= writes);
    }
    QCOMPARE(RomBytes(path), rom.Bytes());
}

// The menu item names the write it takes back, is there only while there is one, and shows the message restored.
void TestUndo::undoThroughTheMenu() {
    SyntheticRom rom;
    rom.PutTexts(Bank1Start, Messages);
    const QString path = Save(rom);
    auto* undo = Ui().Get<QAction>("UndoWrite");
    Ui().Load(path);
    QVERIFY(!undo->isEnabled());

    Answerer().SetAnswer(QMessageBox::Yes);
    Ui().Write(QStringLiteral("Overwritten and longer"));
    Ui().Click("Index", true);
    const std::int32_t second = State().ViewStartPos();
    Ui().Write(QStringLiteral("Hi"));
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("&Undo Write at %1").arg(second));

    Ui().Choose("UndoWrite");
    QCOMPARE(undo->text(), QStringLiteral("&Undo Write at %1").arg(Bank1Start));
    QCOMPARE(State().ViewStartPos(), second);
    Ui().Choose("UndoWrite");
    QVERIFY(!undo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("&Undo Write"));
    QCOMPARE(Ui().Pane(), QStringLiteral("First\n\n"));
    QCOMPARE(RomBytes(path), rom.Bytes());
    for (const auto& box : Answerer().Boxes()) // the longer-text questions, and no warning
        QVERIFY2(box.buttons.testFlag(QMessageBox::Yes), qPrintable(box.text));

    // A ROM chosen again starts with nothing to undo.
    Ui().Write(QStringLiteral("Hi"));
    QVERIFY(undo->isEnabled());
    Ui().Load(path);
    QVERIFY(!undo->isEnabled());
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
