#include "ThazirlaF.h"

#include "ui_ThazirlaF.h"

using namespace Qt::StringLiterals;

ThazirlaF::ThazirlaF()
    : ui(new Ui::ThazirlaF)
{
    setObjectName(u"hazirlaF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);
    hideTitleBarButtons();
    setFixedSize(size());
}

ThazirlaF::~ThazirlaF()
{
    delete ui;
}

void ThazirlaF::showMessage(const QString& caption)
{
    setWindowTitle(caption);
    show();
}

void ThazirlaF::hideMessage()
{
    hide();
}
