#include "ReportBindings.h"

#include "DataSource.h"
#include "ReportResolver.h"

using namespace Qt::StringLiterals;

ReportBindings::ReportBindings(const QString& ownerScreen)
    : m_ownerScreen(ownerScreen)
{ }

QString ReportBindings::ownerScreen() const
{
    return m_ownerScreen;
}

ReportBindings& ReportBindings::bind(const QString& name, DataSet* dataSet)
{
    m_sources.remove(name);
    m_dataSets.insert(name, dataSet);
    return *this;
}

ReportBindings& ReportBindings::bind(const QString& name, DataSource* source)
{
    m_dataSets.remove(name);
    m_sources.insert(name, source);
    return *this;
}

const ReportResolver* ReportBindings::resolver() const
{
    return m_resolver;
}

void ReportBindings::setResolver(const ReportResolver* resolver)
{
    m_resolver = resolver;
}

DataSet* ReportBindings::find(const QString& screen, const QString& name) const
{
    QStringList keys;
    keys << (screen.isEmpty() ? name : screen + u'.' + name);
    // A name of the report's own screen may be written with or without the screen.
    if (!screen.isEmpty() && screen == m_ownerScreen)
        keys << name;
    else if (screen.isEmpty() && !m_ownerScreen.isEmpty())
        keys << m_ownerScreen + u'.' + name;
    for (const QString& key : std::as_const(keys)) {
        if (const auto it = m_dataSets.constFind(key); it != m_dataSets.cend())
            return it.value();
        if (const auto it = m_sources.constFind(key); it != m_sources.cend())
            return it.value() ? it.value()->dataSet() : nullptr;
    }
    return m_resolver ? m_resolver->findDataSet(m_ownerScreen, screen, name) : nullptr;
}
