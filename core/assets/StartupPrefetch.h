#pragma once

#include "core/assets/ImageDecoding.h"
#include "core/assets/Resources.h"
#include "core/text/GameDocument.h"

#include <cstddef>
#include <memory>
#include <string>
#include <thread>

// Does the slow parts of start-up that need no window while the main thread
// opens the window: a second thread decodes the images the document names,
// and, when it names sounds, a third opens the sound device, which is mostly
// waiting. The main thread, once its window is open, decodes what is left of
// the first room's images beside the second; the images that only later rooms
// show go on decoding while the first frame is drawn. The upload stays on the
// thread that owns the graphics context, and a file that fails is left for
// the loader, which reads it again and reports it at its "src". Nothing here
// can stop a game from starting: a document that was refused yields nothing.
class StartupPrefetch {
public:
    // Starts on what `document`, read from `folder`, names; the images are
    // keyed by the path the elements give them, relative to `folder`. The
    // document is read here, on the calling thread, and not kept.
    StartupPrefetch(std::string folder, const GameDocument &document);
    ~StartupPrefetch();
    StartupPrefetch(const StartupPrefetch &) = delete;
    StartupPrefetch &operator=(const StartupPrefetch &) = delete;

    // Decodes on this thread too what the second one has not begun of the
    // first room's images, waits for the sound device, and hands over what
    // was prepared, the later rooms' images still decoding.
    Prefetched take();

private:
    void openAudioDevice();

    std::unique_ptr<ImageDecoding> decoding;
    LaterImages later;
    std::unique_ptr<sf::SoundBuffer> audioDevice;
    std::thread deviceOpener;
};
