#pragma once

#include <SFML/Graphics/Image.hpp>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

// Image files decoded on a thread of its own, in the order listed, while the
// thread that needs them does something else; whoever waits for them decodes
// what is left beside it. A file that fails is not handed over: the loader
// reads it again and reports it at its "src".
class ImageDecoding {
public:
    using Images = std::unordered_map<std::string, sf::Image>;

    // Files under `folder`, keyed by `paths` relative to it.
    ImageDecoding(std::string folder, const std::vector<std::string> &paths);
    ~ImageDecoding();
    ImageDecoding(const ImageDecoding &) = delete;
    ImageDecoding &operator=(const ImageDecoding &) = delete;

    // The files before `count` that decoded, once all of them are done; the
    // thread goes on with the rest meanwhile.
    Images takeFirst(std::size_t count);
    // The files from `count` on that decoded, once the thread has ended.
    Images takeFrom(std::size_t count);
    // Whether every file is done, decoded or failed: taking them waits no more.
    bool allDone();

private:
    struct File {
        // The image under its path, in a node of its own: handing it over
        // moves the node, where moving the image would copy its pixels.
        Images::node_type entry;
        // Written under `mutex` once the image is, by the thread that claimed it.
        bool done = false;
        bool decoded = false;
    };

    // Decodes the files before `end` that no thread has claimed yet, one at a time.
    void decodeUnclaimed(std::size_t end);
    bool decode(File &file);
    void finish();
    Images handOver(std::size_t from, std::size_t end);

    std::string folder;
    std::vector<File> files;
    std::atomic<std::size_t> nextUnclaimed{0};
    std::atomic<std::size_t> decodedBytes{0};
    std::mutex mutex;
    std::condition_variable fileDone;
    std::thread decoder;
};
