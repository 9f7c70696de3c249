#pragma once

#include <QHash>
#include <QString>

class DataSet;
class DataSource;
class ReportResolver;

// Which data set each name of a layout stands for. A name is either the report data set of a
// master data band ("frDBDataSet1") or a data set named in an expression, "muayeneTable" for a
// data set of the report's own screen, "ozluk.sicilTable" for one of another screen.
//
// A name bound here wins; anything else goes to the resolver (the program installs one that
// finds data sets on the screens by name, with ownerScreen() standing for names without a
// screen in front).
class ReportBindings final
{
public:
    ReportBindings() = default;
    explicit ReportBindings(const QString& ownerScreen);

    QString ownerScreen() const;

    ReportBindings& bind(const QString& name, DataSet* dataSet);
    // A data source stands for the data set behind it at the time the report is prepared.
    ReportBindings& bind(const QString& name, DataSource* source);

    const ReportResolver* resolver() const;
    void setResolver(const ReportResolver* resolver);

    // The data set for "[screen.name.\"field\"]" (screen empty when absent); nullptr when
    // neither a binding nor the resolver knows it.
    DataSet* find(const QString& screen, const QString& name) const;

private:
    QString m_ownerScreen;
    QHash<QString, DataSet*> m_dataSets;
    QHash<QString, DataSource*> m_sources;
    const ReportResolver* m_resolver = nullptr;
};
