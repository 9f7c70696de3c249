#include "Tsicrapor.h"

#include "ui_Tsicrapor.h"

#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"

using namespace Qt::StringLiterals;

Tsicrapor::Tsicrapor()
    : ui(new Ui::Tsicrapor)
    , sicrapQuery(new DataSet(u"sicrapQuery"_s, this))
    , sicilrapSource(new DataSource(u"sicilrapSource"_s, sicrapQuery, this))
{
    setObjectName(u"sicrapor"_s);
    ui->setupUi(this);
    setPlacement(Placement::Maximised);
    setSeesKeysFirst(true);

    sicrapQuery->setSQL(u"Select * from hastasicil Order By hid ASC;"_s);
    Field* dogumtarihi = sicrapQuery->FieldByName(u"dogumtarihi"_s);
    dogumtarihi->DisplayFormat = u"dd.mm.yyyy"_s;
    dogumtarihi->EditMask = u"!99/99/0000;1;_"_s;
    for (const QString& phone : {u"evtel"_s, u"istel"_s, u"ceptel"_s, u"fax"_s})
        sicrapQuery->FieldByName(phone)->EditMask = u"(000) 000 00 00;0;*"_s;
}

Tsicrapor::~Tsicrapor()
{
    delete ui;
}
