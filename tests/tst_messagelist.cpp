// The "Messages" window on a ROM with more messages than the index arrow reaches: its rows against what really
// clicking the arrows shows, the search as the user types, sorting, and the list after a write.
#include "editor/MessageList.h"
#include "editor/MessageListModel.h"
#include "editor/TextForms.h"
#include "tests/support/EditorTest.h"

#include "codec/MessageEncoder.h"

#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <map>

using kyrel::Bank1Start;
using kyrel::Bank2Start;
using kyrel::testing::SyntheticRom;

namespace {

// Two halves joined by a line break, so that some phrases run across it.
const std::u16string Openings[] = {u"Have you seen", u"I have seen", u"Nobody walks", u"The lantern is", u"Look at"};
const std::u16string Endings[] = {u"my brother.", u"the lake.", u"my lantern.", u"nothing at all.", u"the road."};

struct Shown {
    int bank = 0;
    int index = 0;
    qint64 position = 0;
    QString text; // one line, each line break marked
    friend bool operator==(const Shown&, const Shown&) = default;
};

char* toString(const Shown& shown) {
    return QTest::toString(QStringLiteral("bank %1 index %2 at %3: %4")
                               .arg(shown.bank)
                               .arg(shown.index)
                               .arg(shown.position)
                               .arg(shown.text.left(40)));
}

} // namespace

class TestMessageList : public EditorTest {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listsWhatTheArrowsShow_data();
    void listsWhatTheArrowsShow();

private:
    // Every message as choosing each bank and clicking the index up arrow shows it, bank 1 first.
    QList<Shown> WalkWithArrows();
    QList<Shown> Listed() const;
    void Select(int bank, int index);
    // Opens the second row listed, and checks the main window against stepping there.
    void Open(const QString& how);

    QPointer<MessageList> m_list; // closing the list deletes it
    QTableView* m_view = nullptr;
    // What each message was made of, by its first position; its line break as typed, <BR>.
    std::map<qint64, std::pair<std::int64_t, QString>> m_made;
};

void TestMessageList::init() {
    EditorTest::init();
    if (QTest::currentTestFailed())
        return;
    m_made.clear();

    // More messages than the arrow reaches in either bank. Bank 1's fifth is cut by the index view after 1000
    // bytes, right after an argument code, and has an argument byte of 0x7F that ends nothing.
    SyntheticRom rom;
    for (const auto& [bankStart, count] : {std::pair{Bank1Start, 80}, std::pair{Bank2Start, 700}}) {
        std::int32_t position = bankStart;
        for (int i = 0; i < count; ++i) {
            std::int32_t next = 0;
            QString source;
            if (bankStart == Bank1Start && i == 4) {
                std::vector<std::uint8_t> cut{0x77, 0x7F};
                cut.insert(cut.end(), 998, 0x17);
                cut.insert(cut.end(), {0x77, 0x05});
                cut.insert(cut.end(), 20, 0x17);
                cut.push_back(kyrel::EndCode);
                next = rom.Put(position, cut);
            } else {
                const std::u16string text =
                    Openings[i % 5] + u"<BR>" + Endings[(i / 5) % 5] + u" " + QString::number(i).toStdU16String();
                next = rom.PutText(position, text);
                source = QString::fromStdU16String(text);
            }
            m_made[position] = {next - position, source};
            position = next;
        }
    }
    Ui().Load(Save(rom));
    Ui().Choose("ViewMessages");
    m_list = MessageList::Instance();
    QVERIFY(m_list && QTest::qWaitForWindowExposed(m_list));
    m_view = m_list->findChild<QTableView*>(QStringLiteral("Messages"));
    QVERIFY(m_view);
}

void TestMessageList::cleanup() {
    if (m_list)
        m_list->close();
    EditorTest::cleanup();
    QVERIFY(!MessageList::Instance());
}

QList<Shown> TestMessageList::WalkWithArrows() {
    QList<Shown> shown;
    // From bank 1 the bank arrow goes to bank 2, then back to bank 1.
    for (const int bank : {2, 1}) {
        Ui().Click("Bank", true);
        const int last = bank == 1 ? 75 : 672;
        for (int index = 1;; ++index) {
            const QString pane = Ui().Pane();
            shown.append({Ui().Text("BankNo").toInt(), Ui().Text("IndexNo").toInt(), State().ViewStartPos(),
                          QString(pane).replace(QLatin1Char('\n'), QChar(TextForms::LineBreakMark))});
            if (index == last)
                break;
            Ui().Click("Index", true);
        }
    }
    std::stable_sort(shown.begin(), shown.end(), [](const Shown& a, const Shown& b) { return a.bank < b.bank; });
    return shown;
}

QList<Shown> TestMessageList::Listed() const {
    const QAbstractItemModel* model = m_view->model();
    QList<Shown> listed;
    for (int row = 0; row < model->rowCount(); ++row) {
        auto cell = [&](int column) { return model->index(row, column).data().toString(); };
        listed.append({cell(0).toInt(), cell(1).toInt(), cell(2).toLongLong(), cell(4)});
    }
    return listed;
}

void TestMessageList::Select(int bank, int index) {
    const QAbstractItemModel* model = m_view->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toInt() == bank && model->index(row, 1).data().toInt() == index)
            m_view->setCurrentIndex(model->index(row, 0));
    }
}

void TestMessageList::listsWhatTheArrowsShow_data() {
    QTest::addColumn<QString>("find");  // typed into the search box
    QTest::addColumn<QString>("write"); // written over bank 1's third message first
    QTest::addColumn<int>("sortBy");    // the column whose header is clicked, or -1
    QTest::addColumn<QString>("open");  // how the second row listed is opened, if it is

    auto row = [](const char* name, const char* find, const char* write, int sortBy, const char* open) {
        QTest::newRow(name) << QString::fromUtf8(find) << QString::fromUtf8(write) << sortBy << QString::fromUtf8(open);
    };
    row("every message the up arrow reaches, where it shows it", "", "", -1, "");
    row("a word finds exactly the messages that hold it", "lantern", "", -1, "");
    row("in any case", "LANTERN", "", -1, "");
    row("a phrase across a line break", "seen my", "", -1, "");
    row("a phrase across a line break, nothing typed for it", "seenMy", "", -1, "");
    row("a longer text moves the rows after it", "", "A third message much longer than it was", -1, "");
    row("a shorter text moves the rows after it", "", "Hi", -1, "");
    row("sorted by length, as numbers", "", "", MessageListModel::Bytes, "");
    row("Enter opens a row as the arrows step there", "", "", -1, "enter");
    row("a double-click opens a row found", "seen my", "", -1, "double-click");
    row("a row of bank 2 opens in byte view", "", "", MessageListModel::Index, "byte view");
}

void TestMessageList::listsWhatTheArrowsShow() {
    QFETCH(QString, find);
    QFETCH(QString, write);
    QFETCH(int, sortBy);
    QFETCH(QString, open);
    auto* findText = m_list->findChild<QLineEdit*>(QStringLiteral("FindText"));
    auto* count = m_list->findChild<QLabel*>(QStringLiteral("Count"));
    QVERIFY(findText && count);

    if (!write.isEmpty()) {
        // The chosen row stays chosen however the positions move.
        Select(1, 9);
        Ui().Click("Index", true);
        Ui().Click("Index", true);
        Answerer().SetAnswer(QMessageBox::Yes);
        Ui().Write(write);
        const QModelIndex current = m_view->currentIndex();
        QCOMPARE(m_view->model()->index(current.row(), 0).data().toInt(), 1);
        QCOMPARE(m_view->model()->index(current.row(), 1).data().toInt(), 9);
    }
    if (sortBy >= 0)
        QTest::mouseClick(m_view->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(m_view->horizontalHeader()->sectionViewportPosition(sortBy) + 5, 5));
    if (!find.isEmpty()) {
        findText->setFocus();
        QTest::keyClicks(findText, find);
    }
    const QList<Shown> listed = Listed();
    if (!open.isEmpty()) {
        Open(open);
        return;
    }

    if (!find.isEmpty()) {
        QList<Shown> holding;
        for (const Shown& row : WalkWithArrows()) {
            // A line break reads as a blank, or as nothing.
            QString withBlank = m_made.at(row.position).second;
            QString withNothing = withBlank;
            withBlank.replace(QStringLiteral("<BR>"), QStringLiteral(" "));
            withNothing.remove(QStringLiteral("<BR>"));
            if (withBlank.contains(find, Qt::CaseInsensitive) || withNothing.contains(find, Qt::CaseInsensitive))
                holding.append(row);
        }
        QVERIFY(!holding.isEmpty() && holding.size() < 747);
        QCOMPARE(listed, holding);
        QCOMPARE(count->text(), QStringLiteral("%1 of 747 messages").arg(holding.size()));
    } else if (sortBy >= 0) {
        QCOMPARE(listed.size(), 747);
        qint64 before = 0;
        for (int row = 0; row < listed.size(); ++row) {
            const qint64 bytes = m_view->model()->index(row, sortBy).data().toLongLong();
            QVERIFY2(bytes >= before,
                     qPrintable(QStringLiteral("row %1: %2 after %3").arg(row).arg(bytes).arg(before)));
            before = bytes;
        }
    } else {
        QCOMPARE(listed, WalkWithArrows());
        QCOMPARE(count->text(), QStringLiteral("747 of 747 messages"));
        if (write.isEmpty()) {
            for (int row = 0; row < listed.size(); ++row)
                QCOMPARE(m_view->model()->index(row, 3).data().toString(),
                         QString::number(m_made.at(listed[row].position).first));
        }
    }
}

void TestMessageList::Open(const QString& how) {
    const Shown row = Listed().at(1);
    QSignalSpy opened(m_list, &MessageList::OpenMessage);
    if (how == u"enter") {
        m_view->setFocus();
        QTest::keyClick(m_view, Qt::Key_Down);
        QTest::keyClick(m_view, Qt::Key_Return);
    } else {
        if (how == u"byte view")
            Ui().Choose("ViewByByte");
        auto* findText = m_list->findChild<QLineEdit*>(QStringLiteral("FindText"));
        findText->setFocus();
        QTest::keyClick(findText, Qt::Key_Down);
        QTest::keyClick(m_view, Qt::Key_Down);
        const QRect cell = m_view->visualRect(m_view->currentIndex());
        // A double-click as the window system delivers it: a click, then the second press as a double-click.
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QCOMPARE(m_view->model()->index(m_view->currentIndex().row(), 2).data().toLongLong(), row.position);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.at(0), (QVariantList{row.bank, row.index, int(row.position)}));
    QTRY_COMPARE(QApplication::activeWindow(), &Dialog());
    QVERIFY(Ui().Get<QAction>("ViewByIndex")->isChecked());
    QCOMPARE(Ui().Text("BankNo"), QString::number(row.bank));
    QCOMPARE(Ui().Text("IndexNo"), QString::number(row.index));
    QCOMPARE(QString(Ui().Pane()).replace(QLatin1Char('\n'), QChar(TextForms::LineBreakMark)), row.text);

    // Then on as from there: the up arrow shows the message after it, and a write goes over that one.
    const qint64 next = row.position + m_made.at(row.position).first;
    Ui().Click("Index", true);
    QCOMPARE(Ui().Text("IndexNo"), QString::number(row.index + 1));
    QCOMPARE(State().ViewStartPos(), next);
    Ui().Write(QStringLiteral("Hi"));
    const auto file = kyrel::testing::RomBytes(RomPath());
    const std::vector<std::uint8_t> written(file.begin() + next - 1, file.begin() + next + 2);
    QCOMPARE(written, kyrel::EncodeToBytes(u"Hi").bytes);
    QVERIFY(Answerer().Boxes().isEmpty());
}

QTEST_MAIN(TestMessageList)
#include "tst_messagelist.moc"
