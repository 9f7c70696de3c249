#pragma once

#include "FieldDataLink.h"

#include <QString>

class DataSource;
class Field;
class QWidget;

// A control bound to one field of a data source's data set, built on the Qt widget that shows
// the field. The control says how the field is shown; its FieldDataLink asks for that whenever
// the record, the field or the editing state changes. (A template has no Q_OBJECT of its own:
// every control keeps its own.)
template <class Widget> class DataAware : public Widget
{
public:
    ~DataAware() override
    {
        // The link goes before the control is taken apart, so it never calls into a half-gone one.
        delete m_link;
    }

    DataSource* dataSource() const
    {
        return m_link->dataSource();
    }

    void setDataSource(DataSource* source)
    {
        m_link->setDataSource(source);
    }

    QString dataField() const
    {
        return m_link->fieldName();
    }

    void setDataField(const QString& fieldName)
    {
        m_link->setFieldName(fieldName);
    }

    // nullptr when unbound or the data set has no such field.
    Field* field() const
    {
        return m_link->field();
    }

protected:
    explicit DataAware(QWidget* parent)
        : Widget(parent)
        , m_link(new FieldDataLink(this))
    {
        m_link->showValue = [this] { showValue(); };
    }

    // Shows the field's value again (nothing when unbound or the data set is closed).
    virtual void showValue() = 0;

    FieldDataLink* link() const
    {
        return m_link;
    }

private:
    FieldDataLink* const m_link;
};
