#pragma once

#include "core/assets/Resources.h"
#include "core/text/GameDocument.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

// Does the slow parts of start-up that need no window while the main thread
// opens the window: a second thread decodes the images the document names,
// and, when it names sounds, a third opens the sound device, which is mostly
// waiting. The main thread, once its window is open, decodes what is left
// beside the second. The upload stays
// on the thread that owns the graphics context, and a file that fails is left
// for the loader, which reads it again and reports it at its "src". Nothing
// here can stop a game from starting: a document that was refused yields
// nothing.
class StartupPrefetch {
public:
    // Starts on what `document`, read from `folder`, names; the images are
    // keyed by the path the elements give them, relative to `folder`. The
    // document is read here, on the calling thread, and not kept.
    StartupPrefetch(std::string folder, const GameDocument &document);
    ~StartupPrefetch();
    StartupPrefetch(const StartupPrefetch &) = delete;
    StartupPrefetch &operator=(const StartupPrefetch &) = delete;

    // Decodes on this thread too what the second one has not begun, waits
    // for the others, and hands over what they prepared.
    Prefetched take();

private:
    // Decodes the images no thread has claimed yet, one at a time.
    void decodeUnclaimed();
    bool decode(const std::string &path, sf::Image &image);
    void openAudioDevice();

    std::string folder;
    // Every image file, its entry made before the thread starts, so that
    // neither thread changes the map itself; `slots` lists the entries in
    // document order, and each is written by the one thread that claimed it.
    // The images are handed over in their entries: an image is not copied.
    std::unordered_map<std::string, sf::Image> images;
    std::vector<std::pair<const std::string, sf::Image> *> slots;
    std::vector<char> decoded;
    std::atomic<std::size_t> nextUnclaimed{0};
    std::atomic<std::size_t> decodedBytes{0};
    std::unique_ptr<sf::SoundBuffer> audioDevice;
    std::thread decoder;
    std::thread deviceOpener;
};
