#pragma once

#include <QString>

class QAbstractButton;

// The help buttons of the screens: square, a picture and no caption; each opens the help viewer
// on its screen's topic.
class HelpButton final
{
public:
    // Gives the button its picture, no caption and a square size.
    static void setUp(QAbstractButton* button);

    // Shows the help viewer with the topic file, when there is one.
    static void open(const QString& topicFile);
};
