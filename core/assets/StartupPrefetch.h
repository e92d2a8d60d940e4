#pragma once

#include "core/assets/Resources.h"
#include "core/text/GameDocument.h"

#include <memory>
#include <string>
#include <thread>

// Does the slow parts of start-up that need no window on a second thread,
// while the main thread opens the window: decodes the images the document
// names and, when it names sounds, opens the sound device. The upload stays
// on the thread that owns the graphics context, and a file that fails is left
// for the loader, which reads it again and reports it at its "src". Nothing
// here can stop a game from starting: a document that was refused yields
// nothing. It reads the document's tree, which the main thread only reads
// too, and lets go of it when taken.
class StartupPrefetch {
public:
    // Starts on `document`, read from `folder`; the images are keyed by the
    // path the elements give them, relative to `folder`.
    StartupPrefetch(std::string folder, std::shared_ptr<const GameDocument> document);
    ~StartupPrefetch();
    StartupPrefetch(const StartupPrefetch &) = delete;
    StartupPrefetch &operator=(const StartupPrefetch &) = delete;

    // Waits for the second thread and hands over what it prepared.
    Prefetched take();

private:
    void prepare();
    void decode(const std::string &path);
    void openAudioDevice();

    std::string folder;
    std::shared_ptr<const GameDocument> document;
    std::size_t decodedBytes = 0;
    Prefetched prepared;
    std::thread worker;
};
