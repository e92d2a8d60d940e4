#pragma once

#include <SFML/Graphics/Image.hpp>

#include <memory>
#include <string>
#include <thread>
#include <unordered_map>

// Decodes the images a game document names on a second thread, so that the
// work overlaps with what the main thread does meanwhile (opening the
// window). Only decoding happens there: the upload stays on the thread that
// owns the graphics context, and a file that fails is left for the loader,
// which reads it again and reports it at its "src". Nothing here can stop a
// game from starting: a document it cannot read yields no images.
class ImagePrefetch {
public:
    // Starts on `file` in `folder`; the images are keyed by the path the
    // elements give them, relative to `folder`.
    ImagePrefetch(std::string folder, std::string file);
    ~ImagePrefetch();
    ImagePrefetch(const ImagePrefetch &) = delete;
    ImagePrefetch &operator=(const ImagePrefetch &) = delete;

    // Waits for the decoding and hands over the images.
    std::unordered_map<std::string, sf::Image> take();

private:
    class ErrorFilter;

    void decodeAll();
    void decode(const std::string &path);

    std::string folder;
    std::string file;
    std::size_t decodedBytes = 0;
    std::unordered_map<std::string, sf::Image> images;
    // Installed before the worker starts, removed once it has ended.
    std::unique_ptr<ErrorFilter> errorFilter;
    std::thread worker;
};
