#pragma once

#include <QPointer>
#include <QWidget>

class QToolButton;

// A pair of stacked arrow buttons without a value of their own: each click only raises UpClick or
// DownClick, and the main window decides what a step means.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    [[nodiscard]] QToolButton* UpButton() const { return m_up; }
    [[nodiscard]] QToolButton* DownButton() const { return m_down; }

    // Names the pair and its arrows for a screen reader: "Bank", "Bank up", "Bank down".
    void SetAccessibleNames(const QString& name);

signals:
    void UpClick();
    void DownClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Lets go of a held arrow, so it stops repeating and clicks again only when pressed again.
    void ReleaseArrows();

    QPointer<QWidget> m_window; // the window whose blocking or deactivation lets go of the arrows

    class FocusFrame;

    QToolButton* m_up;
    QToolButton* m_down;
    FocusFrame* m_focusFrame;
};
