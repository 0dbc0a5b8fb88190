#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

// Answers every modal message box that opens while it lives, and records what each one said. A handler that
// opens a box waits in the box's own event loop, where this watcher's timer runs and presses the button.
class ModalAnswerer : public QObject {
    Q_OBJECT
public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
        QString details; // behind the box's "Show Details..." button
    };

    explicit ModalAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok);

    void SetAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }
    // Runs while a box is open, just before it is answered: what a user or another program does meanwhile.
    void SetWhileOpen(std::function<void(const Box&)> action) { m_whileOpen = std::move(action); }
    [[nodiscard]] const QList<Box>& Boxes() const { return m_boxes; }
    void Clear() { m_boxes.clear(); }

private:
    void Poll();

    QTimer m_timer;
    QMessageBox::StandardButton m_answer;
    QList<Box> m_boxes;
    std::function<void(const Box&)> m_whileOpen;
};

// Answers the next modal file dialog by typing a path into its file name box and pressing Enter; an empty
// path cancels it instead.
void AnswerFileDialog(const QString& path);
// As a path for the answers: the name the dialog proposes, taken as it stands.
inline const QString ProposedName = QStringLiteral("*");
// Answers the next modal file dialogs, one path each, in order.
void AnswerFileDialogs(const QStringList& paths);
