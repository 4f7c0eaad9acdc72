#pragma once
// What every part of the controller works with: the state the windows
// share, the user's message boxes and the windows, in their creation order.

class QString;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class Trec;
class UserMessages;
struct SharedState;

struct ControllerWindows {
    TForm3& splash;
    TForm1& play;
    Trec& rec;
    TForm2& vu;
    TForm4& dialog;
};

struct ControllerScope {
    SharedState& state;
    UserMessages& messages;
    ControllerWindows w;

    // A diagnostic trace point: logged, and shown in a box unless traces
    // are off (they are as soon as the splash exists).
    void trace(const QString& text) const;
};
