#pragma once

class QApplication;

// The application object: runs the main window modally, then the process
// ends.
class CRecorderApp {
public:
    // Constructs the main dialog, runs it and returns once it has ended.
    void InitInstance(QApplication& application);
    // The code the process ends with.
    int ExitInstance() const { return 0; }
};

extern CRecorderApp theApp;
