// bench_wrap: wrapping a text of 10,000 characters once, as a text with
// `wrap` is laid out when it is built or its words change.
//   bench_wrap [RUNS]
// The first run meets the font cold: every glyph it measures is drawn into the
// font's pages then, a cost the text pays once and would pay as it is drawn
// anyway. The later runs are the wrap's own cost (each starts with no kerning
// kept). Prints the first run, the median and the slowest of the later ones.
#include "elements/TextWrap.h"

#include <SFML/Graphics/Font.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    // Words of two to eleven letters, a full stop and a line break now and then.
    std::string words;
    for (unsigned i = 0; words.size() < 10000; ++i) {
        words += std::string(2 + (i * 7) % 10, static_cast<char>('a' + (i * 5) % 26));
        words += i % 29 == 28 ? ".\n" : i % 11 == 10 ? ". " : " ";
    }
    words.resize(10000);
    const sf::String text = sf::String::fromUtf8(words.begin(), words.end());
    sf::Font font;
    if (!font.loadFromFile("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"))
        return 1;
    std::vector<double> times;
    std::size_t lines = 0;
    for (int run = 0; run <= runs; ++run) {
        const auto begin = std::chrono::steady_clock::now();
        lines = wrapText(text, font, 28, 440, 2).lines;
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
    const double first = times.front();
    times.erase(times.begin());
    std::sort(times.begin(), times.end());
    std::printf("RESULT characters=%zu lines=%zu first_ms=%.4f median_ms=%.4f max_ms=%.4f\n", text.getSize(), lines,
                first, times[times.size() / 2], times.back());
    return 0;
}
