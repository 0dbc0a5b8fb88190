#pragma once

#include <QCoreApplication>
#include <QString>

class QWidget;

// Every box a window of the editor shows, modal to that window and under its title, and the rule that one user
// action shows at most one warning, however many nested reads fail within it.
class Boxes {
    Q_DECLARE_TR_FUNCTIONS(GameDialog)

public:
    explicit Boxes(QWidget* owner) : m_owner(owner) {}

    // Marks one user action: the handlers that run nested inside the outermost one belong to it, and share its
    // one warning.
    class Action {
    public:
        explicit Action(Boxes& boxes) : m_boxes(boxes) {
            if (m_boxes.m_depth++ == 0)
                m_boxes.m_warned = false;
        }
        ~Action() { --m_boxes.m_depth; }
        Action(const Action&) = delete;
        Action& operator=(const Action&) = delete;

    private:
        Boxes& m_boxes;
    };

    // A warning, unless the action has shown one already.
    void Warn(const QString& text);
    // What happened to the file (a refusal, a write that stopped): always shown, and the action's one warning.
    void Report(const QString& text);
    // The user's error, under the title "Error": the action's one warning.
    void Error(const QString& text);
    // Something the user must know, not a warning.
    void Inform(const QString& text);
    // A Yes/No question whose default is No; true when the answer is Yes. `details` go behind the box's
    // "Show Details..." button when there are any.
    [[nodiscard]] bool Ask(const QString& question, const QString& details = {});

private:
    QWidget* m_owner;
    int m_depth = 0;
    bool m_warned = false;
};
