#pragma once
// A page's background sound (BGSOUND): the member is copied into a private temporary file and
// handed to the desktop's player, a child process the reader stops at every new page and when
// it ends. The file lives in a directory of its own (mode 0700, the file 0600, never opened
// through a link) and is removed as soon as the sound stops, however that happens.
//
// LOOP: a count N plays the sound N times (the player is started again when it ends); -1,
// INFINITE and 0 (the document reader turns a word into 0) play it for ever.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

class TInterruptCleanup;

class TObject;
class TTimer;
class TBookPageSource;

// The command line that plays a file: the program and its arguments, where an argument "%f"
// stands for the file.
struct TSoundPlayer {
    std::vector<std::string> Command;
    bool Empty() const { return Command.empty(); }
};

// The MIME type of a sound by its extension (.wav, .mid/.midi/.rmi, .mp3), or empty for a kind
// the reader does not play.
std::string SoundMimeType(const std::string& name);

// The Exec line of a desktop entry turned into a player command: field codes %f %F %u %U become
// "%f", the other codes are dropped, quoting is honoured. Empty when the line is unusable.
TSoundPlayer PlayerFromExecLine(const std::string& exec);

// How to play a MIME type: the program named by $FOLIO3_SOUND_PLAYER when set (tests use a
// recording script), else the desktop's default application for the type (xdg-mime), else the
// first common player found on PATH. Empty when there is none.
TSoundPlayer FindSoundPlayer(const std::string& mimeType);

class TBackgroundSound {
public:
    // Sounds come from source, which must outlive this object.
    explicit TBackgroundSound(TBookPageSource& source);
    // Stops the sound and removes its file.
    ~TBackgroundSound();
    TBackgroundSound(const TBackgroundSound&) = delete;
    TBackgroundSound& operator=(const TBackgroundSound&) = delete;

    // The viewer's OnSoundRequest: terminate stops the sound, else src starts playing loop
    // times (see above), replacing any sound that plays.
    void SoundRequest(TObject* sender, const std::string& src, int32_t loop, bool terminate);
    // Starts src; false (and silence) when the book lacks it, its kind is not played, no
    // player is found or the file cannot be written.
    bool Play(const std::string& src, int32_t loop);
    // Stops the player (its whole process group) and removes the file. Safe to call any time.
    void Stop();
    // Reaps a player that ended and starts it again while loops remain; when none remain the
    // file is removed (unless the player ended at once with success, handing the file to a
    // running instance: then it stays until Stop). A timer calls it while a sound plays; tests
    // call it directly.
    void Poll();

    bool Playing() const { return player_ > 0; }
    // The temporary file of the sound that plays (empty when none), for tests.
    const std::string& TempFile() const { return file_; }
    // Completed plays of the current sound, for tests.
    int Plays() const { return plays_; }

    // Replaces how a player is found (tests); an empty function restores FindSoundPlayer.
    std::function<TSoundPlayer(const std::string& mimeType)> FindPlayer;
    // A player that ends sooner than this has handed the file on (see Poll). Tests that need
    // either answer for sure set it, since a loaded machine stretches every start.
    uint64_t QuickEndMs = 150;

private:
    bool Start();
    void RemoveFile();

    TBookPageSource& source_;
    TSoundPlayer playerCommand_;
    std::string dir_, file_;
    pid_t player_ = -1;
    // The folder, the file and the player go on SIGINT, SIGTERM and SIGHUP too, which end the
    // reader without running any destructor.
    std::unique_ptr<TInterruptCleanup> dirGuard_, fileGuard_, playerGuard_;
    int32_t loops_ = 1; // plays wanted; -1: for ever
    int plays_ = 0;
    int quickEnds_ = 0; // plays in a row that ended at once (a player handing off elsewhere)
    uint64_t startedMs_ = 0;
    std::unique_ptr<TTimer> timer_;
};
