#pragma once
// Watches the folder where the system keeps one control device entry per
// sound card ("/dev/snd/controlC0", …), so that cards plugged in or removed
// while the program runs are noticed. inotify, read through a
// QSocketNotifier on the UI thread.

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QSocketNotifier;

class ControlFolderWatch : public QObject {
    Q_OBJECT
public:
    explicit ControlFolderWatch(QString folder, QObject* parent = nullptr);
    ~ControlFolderWatch() override;

    // False with *error set when the folder cannot be watched. A folder
    // that does not exist yet is waited for (no sound modules loaded).
    bool start(QString* error);

    // A folder entry that stands for a card's control device.
    static bool isControlEntry(const QString& name);

signals:
    // Control entries appeared, went away or changed their permissions
    // (the system may grant access only after creating them). Emitted once
    // per event-loop turn; removed names the entries deleted meanwhile.
    void changed(const QStringList& removed);

private:
    bool watchFolder(QString* error);
    void onReadable();
    void note(const QString& removedEntry = {});

    QString folder_;
    int fd_ = -1;
    int folderWatch_ = -1;
    int parentWatch_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QStringList removed_;
    bool pending_ = false;
};
