#pragma once

#include "editor/GameDialog.h"
#include "tests/support/EditorDriver.h"
#include "tests/support/ModalAnswerer.h"
#include "tests/support/SyntheticRom.h"
#include "tests/support/TestFiles.h"

#include <QString>
#include <QTemporaryDir>

// What every window test starts from: a main window on screen, an answerer for its message boxes, a driver for
// its controls, and a temporary folder for the ROM files it opens.
class EditorSession {
public:
    EditorSession();
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    [[nodiscard]] bool Exposed() const { return m_exposed; }
    [[nodiscard]] GameDialog& Dialog() { return m_dialog; }
    [[nodiscard]] ModalAnswerer& Boxes() { return m_boxes; }
    [[nodiscard]] EditorDriver& Driver() { return m_driver; }
    [[nodiscard]] QString FilePath(const QString& name) const { return m_dir.filePath(name); }
    [[nodiscard]] QString Folder() const { return m_dir.path(); }

    // Saves the ROM under the name in the temporary folder and gives its path.
    QString Save(const QString& name, const kyrel::testing::SyntheticRom& rom) const {
        return kyrel::testing::SaveRom(m_dir.filePath(name), rom);
    }

private:
    QTemporaryDir m_dir;
    ModalAnswerer m_boxes;
    GameDialog m_dialog;
    EditorDriver m_driver{m_dialog};
    bool m_exposed = false;
};
