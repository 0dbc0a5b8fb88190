#pragma once

#include "codec/CharTable.h"

#include <QPointer>
#include <QWidget>

class MessageFilter;
class MessageListModel;
class MessageSession;
class QLabel;
class QLineEdit;
class QModelIndex;
class QTableView;

// The "Messages" window: every message the index up arrow reaches in both banks of the session's ROM, with a
// search box that narrows the list as the user types. Modeless and without an owner window, at most one open;
// it reads the list again whenever the session's ROM changes, and only reads: it never moves the session.
class MessageList : public QWidget {
    Q_OBJECT
public:
    // Shows the window for the session, or brings the open one forward. An open window of another session is
    // closed first. A new window opens beside `main`, when given. Returns the window shown.
    static MessageList* ShowInstance(const MessageSession& session, const QWidget* main = nullptr);
    // The open window, or nullptr.
    [[nodiscard]] static MessageList* Instance();
    // Closes the open window if it lists the session's ROM: with its main window gone, its rows open nothing.
    static void CloseFor(const MessageSession& session);

signals:
    // The user opened a row, with Enter or a double-click: message `index` of `bank`, whose read starts at the
    // file position `position`. That is where choosing the bank and clicking the index up arrow index - 1 times
    // shows it, so a window that shows it there with "Bank:" and "Index:" set as given is as if stepped there.
    void OpenMessage(int bank, int index, int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit MessageList(const MessageSession& session);
    // Reads the list again from the ROM, keeping the sort, the search and the selected message.
    void Reload();
    void ShowCount();
    void Open(const QModelIndex& index);

    QPointer<const MessageSession> m_session;
    kyrel::CharTable m_table;
    MessageListModel* m_messages;
    MessageFilter* m_filter;
    QLineEdit* FindText;
    QTableView* Messages;
    QLabel* Count;
    QLabel* Reason;
};
