#include "platform/Logging.h"

// QtWarningMsg: debug and info messages are off until the logging rules turn them on.
Q_LOGGING_CATEGORY(lcCapture, "kiramo.capture", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFiles, "kiramo.files", QtWarningMsg)
