// The undo journal of a test run goes into a folder of its own, never into the user's home:
// XDG_STATE_HOME points there for the whole process and the programs it starts. The folder is
// open to every user (sticky, as /tmp), so that a test that runs velmora-cli as another user
// still finds a journal it may write, and checks what it means to check.
#pragma once

#include "TempFolder.h"

#include <cstdlib>
#include <sys/stat.h>

class PrivateStateHome {
public:
    PrivateStateHome()
    {
        chmod(m_folder.Path().c_str(), 01777);
        setenv("XDG_STATE_HOME", m_folder.Path().c_str(), 1);
    }

private:
    TempFolder m_folder;
};
