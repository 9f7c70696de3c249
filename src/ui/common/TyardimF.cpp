#include "TyardimF.h"

#include "ui_TyardimF.h"

using namespace Qt::StringLiterals;

TyardimF::TyardimF()
    : ui(new Ui::TyardimF)
{
    setObjectName(u"yardimF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);
}

TyardimF::~TyardimF()
{
    delete ui;
}

void TyardimF::showTopic(const QString& fileName)
{
    Q_UNUSED(fileName);
    show();
    raise();
}
