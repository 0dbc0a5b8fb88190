#include "editor/MessageListModel.h"

#include "editor/TextForms.h"

void MessageListModel::SetMessages(std::vector<kyrel::ListedMessage> messages) {
    beginResetModel();
    m_messages = std::move(messages);
    m_oneLineTexts.clear();
    m_searchTexts.clear();
    m_oneLineTexts.reserve(m_messages.size());
    m_searchTexts.reserve(m_messages.size());
    for (const kyrel::ListedMessage& message : m_messages) {
        QString text = TextForms::OneLine(message.text);
        // Worked out once here, so a keystroke only compares.
        m_searchTexts.push_back(SearchForm(text));
        m_oneLineTexts.push_back(std::move(text));
    }
    endResetModel();
}

int MessageListModel::RowOf(int bank, int index) const {
    for (std::size_t row = 0; row < m_messages.size(); ++row) {
        if (m_messages[row].bank == bank && m_messages[row].index == index)
            return static_cast<int>(row);
    }
    return -1;
}

QString MessageListModel::SearchForm(const QString& text) {
    const QString folded = text.toCaseFolded();
    QString form;
    form.reserve(folded.size());
    bool blank = false; // in a run of blanks not yet written
    bool lineBreak = false;
    for (const QChar c : folded) {
        const bool isBreak = c == QChar(TextForms::LineBreakMark) || c == u'\n';
        if (isBreak || c.isSpace()) {
            blank = true;
            lineBreak = lineBreak || isBreak;
            continue;
        }
        if (blank && !form.isEmpty())
            form += lineBreak ? QChar(BreakInSearch) : QChar(u' ');
        blank = lineBreak = false;
        form += c;
    }
    return form;
}

bool MessageListModel::Holds(QStringView text, QStringView typed) {
    if (typed.isEmpty())
        return true;
    // Only one way to go on at each character: a break is passed over unless a blank was typed for it, and the
    // character after a break is never a blank.
    const QChar first = typed.front();
    for (qsizetype from = text.indexOf(first); from >= 0; from = text.indexOf(first, from + 1)) {
        qsizetype at = from;
        qsizetype matched = 0;
        while (matched < typed.size() && at < text.size()) {
            if (text[at] == typed[matched]) {
                ++matched;
            } else if (text[at] == QChar(BreakInSearch)) {
                matched += typed[matched] == u' ' ? 1 : 0;
            } else {
                break;
            }
            ++at;
        }
        if (matched == typed.size())
            return true;
    }
    return false;
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_messages.size());
}

int MessageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const kyrel::ListedMessage& message = m_messages[row];
    auto number = [&]() -> qint64 {
        switch (index.column()) {
        case Bank:
            return message.bank;
        case Index:
            return message.index;
        case Position:
            return message.position;
        default:
            return message.bytes;
        }
    };
    switch (role) {
    case Qt::DisplayRole:
        // Plain digits: the view would write an int with the locale's group separators.
        return index.column() == Text ? m_oneLineTexts[row] : QString::number(number());
    case SortRole:
        return index.column() == Text ? QVariant(m_oneLineTexts[row]) : QVariant(number());
    case Qt::ToolTipRole:
        if (index.column() == Text)
            return TextForms::ToolTip(TextForms::AsLines(message.text));
        return {};
    case Qt::TextAlignmentRole:
        return index.column() == Text ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                      : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Bank:
        return tr("Bank");
    case Index:
        return tr("Index");
    case Position:
        return tr("Position");
    case Bytes:
        return tr("Bytes");
    case Text:
        return tr("Text");
    default:
        return {};
    }
}

MessageFilter::MessageFilter(MessageListModel* messages, QObject* parent)
    : QSortFilterProxyModel(parent), m_messages(messages) {
    setSourceModel(messages);
    setSortRole(MessageListModel::SortRole);
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

void MessageFilter::SetFindText(const QString& text) {
    const QString find = MessageListModel::SearchForm(text);
    if (find == m_find)
        return;
    m_find = find;
    invalidateFilter();
}

bool MessageFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    return MessageListModel::Holds(m_messages->SearchText(sourceRow), m_find);
}
