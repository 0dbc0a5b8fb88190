#include "editor/MessageList.h"

#include "editor/MessageListModel.h"
#include "editor/MessageSession.h"
#include "editor/Reports.h"
#include "windows/KeepOnScreen.h"
#include "windows/ProgramIdentity.h"
#include "windows/SingleWindow.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QPointer<MessageList> s_open;

} // namespace

MessageList* MessageList::ShowInstance(const MessageSession& session, const QWidget* main) {
    if (MessageList* open = Instance(); open && open->m_session != &session) {
        open->close();
        s_open = nullptr;
    }
    return ShowSingleWindow(s_open, [&session, main] {
        auto* list = new MessageList(session);
        if (main)
            PlaceBeside(list, main, QSize(420, 300)); // narrower, the text column shows little
        return list;
    });
}

MessageList* MessageList::Instance() {
    return OpenSingleWindow(s_open);
}

void MessageList::CloseFor(const MessageSession& session) {
    if (MessageList* open = Instance(); open && open->m_session == &session)
        open->close();
}

MessageList::MessageList(const MessageSession& session) : m_session(&session) {
    setObjectName(QStringLiteral("MessageList"));
    SetUpSingleWindow(this, Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    setWindowTitle(tr("Messages"));
    setWindowIcon(ProgramIcon());
    resize(640, 440);
    m_table = session.CharTable();

    auto* findLabel = new QLabel(tr("&Find:"), this);
    FindText = new QLineEdit(this);
    FindText->setObjectName(QStringLiteral("FindText"));
    FindText->setPlaceholderText(tr("Words of a message"));
    FindText->setClearButtonEnabled(true);
    FindText->setAccessibleName(tr("Find text in messages"));
    findLabel->setBuddy(FindText);

    m_messages = new MessageListModel(this);
    m_filter = new MessageFilter(m_messages, this);
    Messages = new QTableView(this);
    Messages->setObjectName(QStringLiteral("Messages"));
    Messages->setAccessibleName(tr("Messages"));
    Messages->setModel(m_filter);
    Messages->setSelectionBehavior(QAbstractItemView::SelectRows);
    Messages->setSelectionMode(QAbstractItemView::SingleSelection);
    Messages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Messages->setWordWrap(false);
    Messages->setTabKeyNavigation(false);
    Messages->verticalHeader()->hide();
    Messages->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // One line of text a row.
    Messages->verticalHeader()->setDefaultSectionSize(Messages->fontMetrics().height() + 6);
    QHeaderView* columns = Messages->horizontalHeader();
    columns->setStretchLastSection(true);
    for (auto [column, width] : {std::pair{MessageListModel::Bank, 44}, std::pair{MessageListModel::Index, 48},
                                 std::pair{MessageListModel::Position, 72}, std::pair{MessageListModel::Bytes, 52}})
        columns->resizeSection(column, width);
    // No column is sorted until the user clicks one: the rows stay in bank and index order.
    columns->setSortIndicator(-1, Qt::AscendingOrder);
    Messages->setSortingEnabled(true);

    Reason = new QLabel(this);
    Reason->setObjectName(QStringLiteral("Reason"));
    Reason->setWordWrap(true);
    Reason->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Reason->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Reason->hide();
    Count = new QLabel(this);
    Count->setObjectName(QStringLiteral("Count"));
    Count->setAccessibleName(tr("Messages found"));

    auto* findRow = new QHBoxLayout;
    findRow->addWidget(findLabel);
    findRow->addWidget(FindText);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(Messages, 1);
    layout->addWidget(Reason, 1);
    layout->addWidget(Count);
    setTabOrder(FindText, Messages);

    connect(FindText, &QLineEdit::textChanged, m_filter, &MessageFilter::SetFindText);
    connect(m_filter, &QAbstractItemModel::modelReset, this, &MessageList::ShowCount);
    connect(m_filter, &QAbstractItemModel::layoutChanged, this, &MessageList::ShowCount);
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, &MessageList::ShowCount);
    connect(m_filter, &QAbstractItemModel::rowsRemoved, this, &MessageList::ShowCount);
    connect(Messages, &QAbstractItemView::doubleClicked, this, &MessageList::Open);
    connect(&session, &MessageSession::RomChanged, this, &MessageList::Reload);
    // The session goes with its main window; a list of its ROM has nothing left to follow.
    connect(&session, &QObject::destroyed, this, &QWidget::close);
    FindText->installEventFilter(this);
    Messages->installEventFilter(this);
    FindText->setFocus();

    Reload();
}

void MessageList::Reload() {
    if (!m_session)
        return;
    int selectedBank = 0;
    int selectedIndex = 0;
    if (const QModelIndex current = Messages->currentIndex(); current.isValid()) {
        const kyrel::ListedMessage& message = m_messages->Message(m_filter->mapToSource(current).row());
        selectedBank = message.bank;
        selectedIndex = message.index;
    }

    QString reason;
    if (!m_session->RomLoaded()) {
        m_messages->SetMessages({});
        reason = tr("No ROM is loaded.");
    } else {
        kyrel::MessageScan scan = kyrel::ScanMessages(ToFsPath(m_session->RomPath()),
                                                      {m_session->BankStart(1), m_session->BankStart(2)}, m_table);
        if (!scan.ok())
            reason = Reports::ListFailed(QDir::toNativeSeparators(m_session->RomPath()), scan.failure);
        m_messages->SetMessages(std::move(scan.messages));
    }
    Reason->setText(reason);
    Reason->setVisible(!reason.isEmpty());
    Messages->setVisible(reason.isEmpty());

    if (const int row = m_messages->RowOf(selectedBank, selectedIndex); row >= 0) {
        const QModelIndex shown = m_filter->mapFromSource(m_messages->index(row, 0));
        if (shown.isValid()) {
            Messages->setCurrentIndex(shown);
            Messages->selectRow(shown.row());
            Messages->scrollTo(shown);
        }
    }
    ShowCount();
}

void MessageList::ShowCount() {
    Count->setText(tr("%1 of %2 messages").arg(m_filter->rowCount()).arg(m_messages->rowCount()));
}

void MessageList::Open(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const kyrel::ListedMessage& message = m_messages->Message(m_filter->mapToSource(index).row());
    emit OpenMessage(message.bank, message.index, message.position);
}

bool MessageList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // From the search box, Down goes on into the list, at its first row when none is chosen yet.
        if (watched == FindText && (key == Qt::Key_Down || key == Qt::Key_PageDown) && m_filter->rowCount() > 0) {
            // Chosen before the list has the focus: taking it makes the first cell current without choosing its row.
            if (!Messages->currentIndex().isValid()) {
                Messages->setCurrentIndex(m_filter->index(0, 0));
                Messages->selectRow(0);
            }
            Messages->setFocus();
            return true;
        }
        if (watched == Messages && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            Open(Messages->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Esc closes the window, as it closes the About box.
void MessageList::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
