#pragma once

#include "tests/support/EditorSession.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>

// The base of the window tests: a fresh main window for each test, and none left behind with a box open. QtTest
// finds init() and cleanup() by name, also in a base; they are protected, not private, so that a test needing more
// set-up can declare its own, call these first, and return from its init() when the test has failed already.
class EditorTest : public QObject {
    Q_OBJECT

protected slots:
    void init();
    void cleanup();

protected:
    [[nodiscard]] EditorSession& Editor() { return *m_session; }
    [[nodiscard]] GameDialog& Dialog() { return m_session->Dialog(); }
    [[nodiscard]] const MessageSession& State() { return m_session->Dialog().Session(); }
    [[nodiscard]] ModalAnswerer& Answerer() { return m_session->Boxes(); }
    [[nodiscard]] EditorDriver& Ui() { return m_session->Driver(); }
    // What the last message box said, or nothing when none opened.
    QString Said() { return Answerer().Boxes().isEmpty() ? QString() : Answerer().Boxes().constLast().text; }
    // Shows the tooltip of a widget at a point, as the mouse resting there does, and checks that none of its lines
    // is wider than a reader's line, 80 average characters of the tooltip's font. `said`: its lines joined by blanks.
    void ShowToolTip(QWidget* widget, QPoint at, QString& said);
    // Where the test's own ROM goes, in the temporary folder.
    [[nodiscard]] QString RomPath() const { return m_session->FilePath(QStringLiteral("quillmere.smc")); }
    QString Save(const kyrel::testing::SyntheticRom& rom) const { return kyrel::testing::SaveRom(RomPath(), rom); }
    QString Save(const QString& name, const kyrel::testing::SyntheticRom& rom) const {
        return m_session->Save(name, rom);
    }

private:
    std::unique_ptr<EditorSession> m_session;
};
