#pragma once

#include <QString>

#include <functional>

class QAbstractButton;

// The help buttons of the screens: square, a picture and no caption; each opens the help viewer
// on its screen's topic. The viewer is a screen of the program: the program hands the buttons
// the way to it with setOpener() once its screens exist.
class HelpButton final
{
public:
    // Gives the button its picture, no caption and a square size.
    static void setUp(QAbstractButton* button);

    // Shows the help viewer with the topic file, when there is one; nothing while no opener is
    // set.
    static void open(const QString& topicFile);

    // Sets what open() runs (an empty function: nothing).
    static void setOpener(std::function<void(const QString& topicFile)> opener);
};
