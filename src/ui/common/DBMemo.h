#pragma once

#include "DataAwareEdit.h"

#include <QPlainTextEdit>

// A multi-line box bound to one (Memo or text) field. Typing puts the data set into editing;
// the text is written into the field when the box is left and when the record is stored.
class DBMemo final : public DataAwareEdit<QPlainTextEdit>
{
    Q_OBJECT

public:
    explicit DBMemo(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void showValue() override;
    void updateLock() override;
    void writeValue() override;
};
