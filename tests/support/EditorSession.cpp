#include "tests/support/EditorSession.h"

#include <QFile>
#include <QTest>

EditorSession::EditorSession() {
    m_dialog.show();
    m_exposed = m_dir.isValid() && QTest::qWaitForWindowExposed(&m_dialog);
}

EditorSession::~EditorSession() = default;

QString EditorSession::Save(const QString& name, const kyrel::testing::SyntheticRom& rom) const {
    const QString path = m_dir.filePath(name);
    if (!rom.Save(QFile::encodeName(path).toStdString()).ok())
        qFatal("cannot save a test ROM");
    return path;
}
