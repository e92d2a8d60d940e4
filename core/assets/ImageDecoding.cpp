#include "core/assets/ImageDecoding.h"

#include "core/assets/ImageHeader.h"
#include "core/assets/LibraryErrors.h"
#include "core/assets/Resources.h"
#include "core/text/FileKind.h"

#include <algorithm>
#include <new>
#include <optional>
#include <system_error>

ImageDecoding::ImageDecoding(std::string gameFolder, const std::vector<std::string> &paths)
    : folder(std::move(gameFolder))
{
    files.reserve(paths.size());
    Images made;
    for (const std::string &path : paths)
        files.push_back(File{made.extract(made.try_emplace(path).first), false, false});
    try {
        decoder = std::thread([this] { decodeUnclaimed(files.size()); });
    } catch (const std::system_error &) {
        // Whoever waits decodes them all.
    }
}

ImageDecoding::~ImageDecoding()
{
    finish();
}

void ImageDecoding::finish()
{
    decodeUnclaimed(files.size());
    if (decoder.joinable())
        decoder.join();
}

ImageDecoding::Images ImageDecoding::takeFirst(std::size_t count)
{
    count = std::min(count, files.size());
    decodeUnclaimed(count);
    std::unique_lock<std::mutex> lock(mutex);
    // The thread may still be decoding one of them.
    fileDone.wait(lock, [&] {
        return std::all_of(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(count),
                           [](const File &file) { return file.done; });
    });
    lock.unlock();
    return handOver(0, count);
}

bool ImageDecoding::allDone()
{
    const std::lock_guard<std::mutex> lock(mutex);
    return std::all_of(files.begin(), files.end(), [](const File &file) { return file.done; });
}

ImageDecoding::Images ImageDecoding::takeFrom(std::size_t count)
{
    finish();
    return handOver(std::min(count, files.size()), files.size());
}

ImageDecoding::Images ImageDecoding::handOver(std::size_t from, std::size_t end)
{
    Images images;
    for (std::size_t i = from; i < end; ++i)
        if (files[i].decoded)
            images.insert(std::move(files[i].entry));
    return images;
}

void ImageDecoding::decodeUnclaimed(std::size_t end)
{
    // What the library says here is dropped: a file that fails is read again
    // by the loader and reported at its "src".
    const LibraryErrorCapture unheard;
    for (std::size_t i = nextUnclaimed.load(); i < end;) {
        if (!nextUnclaimed.compare_exchange_weak(i, i + 1))
            continue;
        File &file = files[i];
        bool decoded = false;
        try {
            decoded = decode(file);
        } catch (const std::bad_alloc &) {
            // The loader meets the same shortage, and reports it.
        }
        {
            const std::lock_guard<std::mutex> lock(mutex);
            file.decoded = decoded;
            file.done = true;
        }
        fileDone.notify_all();
        i = nextUnclaimed.load();
    }
}

bool ImageDecoding::decode(File &file)
{
    if (decodedBytes >= Resources::maxTextureBytes)
        return false;
    const std::string inFolder = folder + "/" + file.entry.key();
    // Regular files only: a pipe would keep this thread waiting for ever.
    if (!isRegularFile(inFolder))
        return false;
    // Too large to show is refused by the loader from the header alone.
    if (const std::optional<sf::Vector2u> size = declaredImageSize(inFolder); size && !oversizedImage(*size).empty())
        return false;
    sf::Image &image = file.entry.mapped();
    if (!image.loadFromFile(inFolder))
        return false;
    decodedBytes += std::size_t(image.getSize().x) * image.getSize().y * 4;
    return true;
}
