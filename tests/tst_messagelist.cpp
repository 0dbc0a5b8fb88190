// The "Messages" window on a ROM with more messages than the index arrow reaches, and on files cut short: its rows
// against what really clicking the arrows shows, the search as the user types, sorting, and the list after a write.
#include "editor/MessageList.h"
#include "editor/MessageListModel.h"
#include "editor/TextForms.h"
#include "tests/support/EditorTest.h"

#include "codec/MessageEncoder.h"

#include <QDir>
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

// Two halves joined by a line break, so that some phrases run across it. One opening in lower case, as a message
// that goes on from another begins.
const std::u16string Openings[] = {u"Have you seen", u"I have seen", u"nobody walks", u"The lantern is", u"Look at"};
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

// The file the window lists.
enum class Shape {
    Whole,            // 8 Mbit, both banks with more messages than the arrow reaches
    EndsAfterEndCode, // the last byte is the end code of bank 2's 300th message
    EndsBeforeBank2,  // a 4 Mbit dump: bank 1 alone
    EndsOnBank2First, // the last byte is bank 2's first
    LongSteps,        // each of bank 1's messages as long as one step of the arrow can go
    NeitherBank,      // ends before bank 1
};

// A message that takes the longest step: the index view cuts it after 1000 decoded bytes, each but the last with an
// argument byte, the arrow's nested read goes as far again, and its end code is the byte the step passes over.
std::vector<std::uint8_t> LongStep() {
    std::vector<std::uint8_t> half;
    for (int i = 0; i < kyrel::IndexViewLimit - 1; ++i)
        half.insert(half.end(), {0x77, 0x05});
    half.push_back(0x17);
    std::vector<std::uint8_t> message = half;
    message.insert(message.end(), half.begin(), half.end());
    message.push_back(kyrel::EndCode);
    return message;
}

} // namespace

Q_DECLARE_METATYPE(Shape)

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
    // Opens the second row listed, and checks the main window against stepping there.
    void Open(const QString& how);

    QPointer<MessageList> m_list; // closing the list deletes it
    QTableView* m_view = nullptr;
    // What each message was made of, by its first position; its line break as typed, <BR>.
    std::map<qint64, std::pair<std::int64_t, QString>> m_made;
    qint64 m_fileSize = 0;
};

void TestMessageList::init() {
    EditorTest::init();
    if (QTest::currentTestFailed())
        return;
    QFETCH(Shape, shape);
    m_made.clear();

    // More messages than the arrow reaches in either bank. Bank 1's fifth is cut by the index view after 1000
    // bytes, right after an argument code, and has an argument byte of 0x7F that ends nothing.
    SyntheticRom rom;
    static const std::vector<std::uint8_t> longStep = LongStep();
    for (const auto& [bankStart, count] : {std::pair{Bank1Start, 80}, std::pair{Bank2Start, 700}}) {
        std::int32_t position = bankStart;
        for (int i = 0; i < count; ++i) {
            std::int32_t next = 0;
            QString source;
            if (bankStart == Bank1Start && shape == Shape::LongSteps) {
                next = rom.Put(position, longStep);
            } else if (bankStart == Bank1Start && i == 4) {
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
    // The file then ends where its shape says.
    switch (shape) {
    case Shape::EndsAfterEndCode:
        m_fileSize = std::next(m_made.find(Bank2Start), 300)->first - 1;
        break;
    case Shape::EndsBeforeBank2:
        m_fileSize = 512 * 1024 + 512;
        break;
    case Shape::EndsOnBank2First:
        m_fileSize = Bank2Start;
        break;
    case Shape::NeitherBank:
        m_fileSize = Bank1Start - 1;
        break;
    default:
        m_fileSize = static_cast<qint64>(rom.Bytes().size());
    }
    SyntheticRom file(static_cast<std::size_t>(m_fileSize));
    file.Put(1, {rom.Bytes().begin(), rom.Bytes().begin() + m_fileSize});
    Ui().Load(Save(file));
    Ui().Choose("ViewMessages");
    m_list = MessageList::Instance();
    QVERIFY(m_list && QTest::qWaitForWindowExposed(m_list));
    // Beside the main window, not over it: the screen has room on its right.
    QVERIFY(!m_list->frameGeometry().intersects(Dialog().frameGeometry()));
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
        // A bank the file ends before shows nothing: its read warns and leaves the pane as it was.
        if (State().ViewStartPos() != State().BankStart(bank))
            continue;
        const qsizetype warned = Answerer().Boxes().size();
        const int last = bank == 1 ? 75 : 672;
        for (int index = 1;; ++index) {
            const QString pane = Ui().Pane();
            shown.append({Ui().Text("BankNo").toInt(), Ui().Text("IndexNo").toInt(), State().ViewStartPos(),
                          QString(pane).replace(QLatin1Char('\n'), QChar(TextForms::LineBreakMark))});
            if (index == last)
                break;
            Ui().Click("Index", true);
            // Where the file ends the arrow shows nothing more: the read warns instead.
            if (Answerer().Boxes().size() > warned)
                break;
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

void TestMessageList::listsWhatTheArrowsShow_data() {
    // Typed into the search box; before each search after a |, Down into the list and back, to type over the last.
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("write"); // written over bank 1's third message first
    QTest::addColumn<int>("chosen");    // the row chosen before the write
    QTest::addColumn<int>("sortBy");    // the column whose header is clicked, or -1
    QTest::addColumn<QString>("open");  // how the second row listed is opened, if it is
    QTest::addColumn<Shape>("shape");   // the file listed

    auto row = [](const char* name, const char* find, const char* write, int sortBy, const char* open,
                  Shape shape = Shape::Whole, int chosen = 8) {
        QTest::newRow(name) << QString::fromUtf8(find) << QString::fromUtf8(write) << chosen << sortBy
                            << QString::fromUtf8(open) << shape;
    };
    row("every message the up arrow reaches, where it shows it", "", "", -1, "");
    row("a word finds exactly the messages that hold it", "lantern", "", -1, "");
    row("in any case", "LANTERN", "", -1, "");
    row("a phrase across a line break", "seen my", "", -1, "");
    row("a phrase across a line break, nothing typed for it", "seenMy", "", -1, "");
    row("a longer text moves the rows after it", "", "A third message much longer than it was", -1, "");
    row("a shorter text moves the rows after it", "", "Hi", -1, "");
    row("the first row stays chosen after a write", "", "Hi", -1, "", Shape::Whole, 0);
    row("a row of bank 2 stays chosen after a write", "", "Hi", -1, "", Shape::Whole, 75 + 8);
    row("sorted by length, as numbers", "", "", MessageListModel::Bytes, "");
    row("sorted by text, whatever its case", "", "", MessageListModel::Text, "");
    row("Enter opens a row as the arrows step there", "", "", -1, "enter");
    row("a double-click opens a row found", "seen my", "", -1, "double-click");
    row("after a search that found nothing, Down goes to the first row found", "lantern|xyzzy|seen my", "", -1,
        "double-click");
    row("a row of bank 2 opens in byte view", "", "", MessageListModel::Index, "byte view");
    row("a file that ends after an end code of bank 2", "", "", -1, "", Shape::EndsAfterEndCode);
    row("a file that ends before bank 2", "", "", -1, "", Shape::EndsBeforeBank2);
    row("a file whose last byte is bank 2's first", "", "", -1, "", Shape::EndsOnBank2First);
    row("messages as long as a step of the arrow goes", "", "", -1, "", Shape::LongSteps);
    row("a file that holds neither bank says why", "", "", -1, "", Shape::NeitherBank);
}

void TestMessageList::listsWhatTheArrowsShow() {
    QFETCH(QString, find);
    QFETCH(QString, write);
    QFETCH(int, chosen);
    QFETCH(int, sortBy);
    QFETCH(QString, open);
    auto* findText = m_list->findChild<QLineEdit*>(QStringLiteral("FindText"));
    auto* count = m_list->findChild<QLabel*>(QStringLiteral("Count"));
    auto* reason = m_list->findChild<QLabel*>(QStringLiteral("Reason"));
    QVERIFY(findText && count && reason);

    if (!write.isEmpty()) {
        // The chosen row stays chosen however the positions move.
        const Shown before = Listed().at(chosen);
        m_view->setCurrentIndex(m_view->model()->index(chosen, 0));
        Ui().Click("Index", true);
        Ui().Click("Index", true);
        Answerer().SetAnswer(QMessageBox::Yes);
        Ui().Write(write);
        const int current = m_view->currentIndex().row();
        QVERIFY(m_view->selectionModel()->isRowSelected(current, {}));
        QCOMPARE(Listed().at(current).bank, before.bank);
        QCOMPARE(Listed().at(current).index, before.index);
    }
    if (sortBy >= 0)
        QTest::mouseClick(m_view->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(m_view->horizontalHeader()->sectionViewportPosition(sortBy) + 5, 5));
    if (!find.isEmpty()) {
        const QStringList searches = find.split(u'|');
        findText->setFocus();
        for (qsizetype i = 0; i < searches.size(); ++i) {
            if (i > 0) {
                QTest::keyClick(findText, Qt::Key_Down);
                findText->setFocus();
            }
            findText->selectAll();
            QTest::keyClicks(findText, searches[i]);
        }
        find = searches.constLast();
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
        for (int row = 1; row < listed.size(); ++row) {
            const QVariant before = m_view->model()->index(row - 1, sortBy).data();
            const QVariant at = m_view->model()->index(row, sortBy).data();
            const bool ordered = sortBy == MessageListModel::Text
                                     ? QString::compare(before.toString(), at.toString(), Qt::CaseInsensitive) <= 0
                                     : before.toLongLong() <= at.toLongLong();
            QVERIFY2(ordered, qPrintable(QStringLiteral("row %1: %2 after %3")
                                             .arg(row)
                                             .arg(at.toString().left(40), before.toString().left(40))));
        }
    } else {
        const QList<Shown> walked = WalkWithArrows();
        QCOMPARE(listed, walked);
        QCOMPARE(count->text(), QStringLiteral("%1 of %1 messages").arg(walked.size()));
        // Where nothing can be listed, the list gives way to why.
        QCOMPARE(reason->isVisible(), walked.isEmpty());
        QCOMPARE(m_view->isVisible(), !walked.isEmpty());
        QCOMPARE(reason->text().contains(QDir::toNativeSeparators(RomPath())), walked.isEmpty());
        if (write.isEmpty()) {
            // A message the file cuts short is as long as what is left of it; a tooltip, however long the text,
            // keeps to lines a reader follows.
            for (int row = 0; row < listed.size(); ++row) {
                QCOMPARE(m_view->model()->index(row, 3).data().toString(),
                         QString::number(std::min<qint64>(m_made.at(listed[row].position).first,
                                                          m_fileSize - listed[row].position + 1)));
                for (const QString& line : m_view->model()->index(row, 4).data(Qt::ToolTipRole).toString().split(u'\n'))
                    QVERIFY2(line.size() <= 70, qPrintable(line));
            }
        }
        if (walked.size() > 5) {
            // Down from the search box goes on into the list at the row already chosen.
            m_view->setCurrentIndex(m_view->model()->index(5, 0));
            findText->setFocus();
            QTest::keyClick(findText, Qt::Key_Down);
            QCOMPARE(m_view->currentIndex().row(), 5);
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
        // Down from the search box chooses the first row found.
        QCOMPARE(m_view->currentIndex().row(), 0);
        QVERIFY(m_view->selectionModel()->isRowSelected(0, {}));
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
