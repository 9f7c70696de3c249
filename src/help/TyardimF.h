#pragma once

#include "TScreen.h"

#include <QString>
#include <QStringList>

#include <memory>

class QLabel;

namespace Ui {
class TyardimF;
}

// The help viewer: one of the help topic files beside the program.
class TyardimF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TyardimF> ui;

public:
    TyardimF();
    ~TyardimF() override;

    // The topic files in the order of the topic list.
    static const QStringList topicFiles;
    static const QStringList topicTitles;

    // Shows the viewer and loads the topic file of that name when it exists.
    void showTopic(const QString& fileName);

    // A topic chosen in the list: loads its file when it exists.
    void ComboBox1Change();

    // Loads the file into the text area: false, with the text left as it was, when the file is
    // missing; a file that cannot be read is reported in an error box.
    bool loadTopic(const QString& fileName);

private:
    QLabel* m_statusPanels[2] = {};
};
