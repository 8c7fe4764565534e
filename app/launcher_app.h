// The application object: it installs the real operating-system services, runs the main
// window for the life of the process and returns false, so no message loop follows and
// the exit code is 0. Command-line arguments are ignored. Exactly one exists, a global
// of the executable (verrow_main.cpp).
#pragma once

#include "platform/ui/app.h"

namespace verrow {

class LauncherApp : public ui::Application {
public:
    bool InitInstance() override;
};

}  // namespace verrow
