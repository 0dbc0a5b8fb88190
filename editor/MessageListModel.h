#pragma once

#include "codec/MessageScan.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>

#include <vector>

// The messages the index up arrow reaches, one row each: bank, index, position, length and the text as the
// "ROM Text" pane shows it, on one line.
class MessageListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Bank, Index, Position, Bytes, Text, ColumnCount };
    // Numbers as numbers, so that sorting by them orders 9 before 10.
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void SetMessages(std::vector<kyrel::ListedMessage> messages);
    [[nodiscard]] const kyrel::ListedMessage& Message(int row) const {
        return m_messages[static_cast<std::size_t>(row)];
    }
    // The row of a message, or -1.
    [[nodiscard]] int RowOf(int bank, int index) const;
    // The one-line text as a search compares it: case folded, blanks run together into one, and a run that holds
    // a line break into one BreakInSearch, which a typed blank or nothing matches.
    [[nodiscard]] const QString& SearchText(int row) const { return m_searchTexts[static_cast<std::size_t>(row)]; }
    static constexpr char16_t BreakInSearch = u'\n';
    // A typed search in the same form: it holds no BreakInSearch.
    [[nodiscard]] static QString SearchForm(const QString& text);
    // Whether a text in the search form holds what was typed, in the search form.
    [[nodiscard]] static bool Holds(QStringView text, QStringView typed);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role = Qt::DisplayRole) const override;

private:
    std::vector<kyrel::ListedMessage> m_messages;
    std::vector<QString> m_oneLineTexts;
    std::vector<QString> m_searchTexts;
};

// The rows whose text holds what the user typed, case-insensitively and across line breaks; in bank and index
// order until the user sorts by a column.
class MessageFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit MessageFilter(MessageListModel* messages, QObject* parent = nullptr);

    void SetFindText(const QString& text);

protected:
    [[nodiscard]] bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    MessageListModel* m_messages;
    QString m_find; // in the search form
};
