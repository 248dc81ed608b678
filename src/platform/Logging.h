#pragma once

#include <QLoggingCategory>

// What the program says about itself for someone looking into a fault on their desktop. Every
// category is silent below warnings unless switched on, e.g. QT_LOGGING_RULES="kiramo.*=true".
Q_DECLARE_LOGGING_CATEGORY(lcCapture)  // kiramo.capture: grabber, portal answers, monitors
Q_DECLARE_LOGGING_CATEGORY(lcFiles)    // kiramo.files: pictures read and written
