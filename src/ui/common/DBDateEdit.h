#pragma once

#include "DataAwareEdit.h"

#include <QDateTimeEdit>

// A date (and time) box bound to a DateTime field. A null value shows as an empty box; typing
// into an empty box starts from today's date. Delete with the whole text selected empties it.
class DBDateEdit final : public DataAwareEdit<QDateTimeEdit>
{
    Q_OBJECT

public:
    explicit DBDateEdit(QWidget* parent = nullptr);

    // The box shows no date.
    bool isNull() const;

    void stepBy(int steps) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showValue() override;
    void updateLock() override;
    void writeValue() override;
    void startFromToday();
};
