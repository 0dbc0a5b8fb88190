// Undo Write: every write since the ROM was chosen is taken back, newest first, byte for byte, and never over
// bytes another program changed since.
#include "editor/MessageSession.h"
#include "tests/support/EditorTest.h"

#include <QAction>
#include <QSignalSpy>
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
    void undoThroughTheMenu_data();
    void undoThroughTheMenu();
};

// Random writes over the messages (shorter, longer, over each other, some stopped midway), then Undo Write until
// there is nothing left to undo. Another program may first change a byte of the newest write, or cut the file
// before that write's last byte, or take the file away while the first undo is halfway through.
void TestUndo::undoRestoresEveryWrite_data() {
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<QString>("other");
    for (unsigned seed = 1; seed <= 8; ++seed)
        QTest::addRow("writes, seed %u", seed) << seed << QString();
    for (unsigned seed = 1; seed <= 3; ++seed)
        QTest::addRow("changed by another program, seed %u", seed) << seed << QStringLiteral("change");
    for (unsigned seed = 1; seed <= 2; ++seed)
        QTest::addRow("cut by another program, seed %u", seed) << seed << QStringLiteral("cut");
    for (unsigned seed = 1; seed <= 2; ++seed)
        QTest::addRow("first undo stopped midway, seed %u", seed) << seed << QStringLiteral("away");
}

void TestUndo::undoRestoresEveryWrite() {
    QFETCH(unsigned, seed);
    QFETCH(QString, other);
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

    QVERIFY(newest);
    const auto length = static_cast<std::int64_t>(session.History().Newest()->runs.front().after.size());
    if (other == u"change" || other == u"cut") {
        Bytes now = RomBytes(path);
        // The first byte the file no longer holds as the write left it.
        const std::int64_t differs = other == u"change" ? *newest + 1 : *newest + length - 1;
        if (other == u"change")
            now[static_cast<std::size_t>(*newest)] ^= 0xFF;
        else
            now.resize(static_cast<std::size_t>(differs - 1));
        SyntheticRom changedRom(now.size());
        changedRom.Put(1, now);
        kyrel::testing::SaveRom(path, changedRom);
        const WriteHistory::Undo undo = session.UndoWrite();
        QCOMPARE(undo.result.bytes, 0);
        QCOMPARE(undo.result.failure.code, kyrel::FailureCode::ChangedSinceWrite);
        QCOMPARE(undo.result.failure.position, differs);
        QCOMPARE(RomBytes(path), now);
        QVERIFY(session.UndoPosition() == newest);
        return;
    }
    if (other == u"away") {
        // Half the bytes go back before the file is away; the undo after it takes back the rest, and the Messages
        // window, which reads again on RomChanged, shows the bytes that went back.
        QVERIFY2(length >= 2, "the newest write is too short to stop an undo of it midway");
        const std::int64_t away = *newest + length / 2;
        QSignalSpy romChanged(&session, &MessageSession::RomChanged);
        const WriteHistory::Undo undo = session.UndoWrite([&](std::int64_t position, kyrel::ByteStep step) {
            if (position == away && step == kyrel::ByteStep::BeforeOpen)
                QFile::rename(path, path + QStringLiteral(".away"));
        });
        QFile::rename(path + QStringLiteral(".away"), path);
        QCOMPARE(undo.result.bytes, length / 2);
        QCOMPARE(undo.result.failure.code, kyrel::FailureCode::CannotOpen);
        QCOMPARE(romChanged.size(), 1);
        QVERIFY(session.UndoPosition() == newest);
    }
    int undone = 0;
    while (session.UndoPosition()) {
        const WriteHistory::Undo undo = session.UndoWrite();
        QVERIFY2(undo.result.ok(), kyrel::testing::Shown(undo.result.failure).c_str());
        QVERIFY(++undone <= writes);
    }
    QCOMPARE(RomBytes(path), rom.Bytes());
}

// The menu item names the write it takes back, is there only while there is one, and shows the message restored:
// in byte view from "Starting Value:", which is set to it wherever it was.
void TestUndo::undoThroughTheMenu_data() {
    QTest::addColumn<bool>("byteView");
    QTest::newRow("index view") << false;
    QTest::newRow("byte view") << true;
}

void TestUndo::undoThroughTheMenu() {
    QFETCH(bool, byteView);
    SyntheticRom rom;
    rom.PutTexts(Bank1Start, Messages);
    const QString path = Save(rom);
    auto* undo = Ui().Get<QAction>("UndoWrite");
    Ui().Load(path);
    QVERIFY(!undo->isEnabled());
    const auto readFrom = [&](std::int32_t position) {
        Ui().Type("Begin", QString::number(position));
        Ui().Press("Command5");
    };
    if (byteView) {
        Ui().Choose("ViewByByte");
        readFrom(Bank1Start);
    }

    Answerer().SetAnswer(QMessageBox::Yes);
    Ui().Write(QStringLiteral("Overwritten and longer"));
    if (byteView)
        readFrom(State().NextMessagePos());
    else
        Ui().Click("Index", true);
    const std::int32_t second = State().ViewStartPos();
    Ui().Write(QStringLiteral("Hi"));
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("&Undo Write at %1").arg(second));
    if (byteView)
        readFrom(Bank1Start + 2);

    Ui().Choose("UndoWrite");
    QCOMPARE(undo->text(), QStringLiteral("&Undo Write at %1").arg(Bank1Start));
    QCOMPARE(State().ViewStartPos(), second);
    QCOMPARE(Ui().Text("Begin"), QString::number(second));
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
