#pragma once

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

signals:
    void UpClick();
    void DownClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    class FocusFrame;

    QToolButton* m_up;
    QToolButton* m_down;
    FocusFrame* m_focusFrame;
};
