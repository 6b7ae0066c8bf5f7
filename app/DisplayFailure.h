#pragma once
// Watches the application object open the window system. Without a display
// Qt prints three lines about platform plugins and aborts (a core, status
// 134); this says so in one line instead and ends the program with status 1,
// before the lock or the score folder is touched. A plugin that failed for a
// reason of its own (a library missing, an unknown -platform) is not blamed on
// the display: Qt's messages naming the cause are passed on before that line.
// Qt's messages are held meanwhile (all of them are the platform's then), and
// passed on by End once the display is open.

class DisplayFailureWatch {
public:
    DisplayFailureWatch();
    ~DisplayFailureWatch();
    DisplayFailureWatch(const DisplayFailureWatch&) = delete;
    DisplayFailureWatch& operator=(const DisplayFailureWatch&) = delete;

    // The display is open: what was held goes to the handler before, which is put back.
    void End();

private:
    bool watching_ = true;
};
