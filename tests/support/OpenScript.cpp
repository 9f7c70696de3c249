#include "OpenScript.h"

OpenScript::OpenScript()
    : m_previous(FileOpener::handler())
{
    FileOpener::setHandler(this);
}

OpenScript::~OpenScript()
{
    FileOpener::setHandler(m_previous);
}

void OpenScript::failNext(const QString& reason)
{
    m_failures.append(reason);
}

QStringList OpenScript::asked() const
{
    return m_asked;
}

bool OpenScript::open(const QString& path, QString* error)
{
    m_asked.append(path);
    if (m_failures.isEmpty())
        return true;
    const QString reason = m_failures.takeFirst();
    if (error)
        *error = reason;
    return false;
}
