#include "app/delay.h"

#include <chrono>
#include <thread>

namespace zimbalo::app {

void Delay(std::int64_t ms) {
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now()
                                                                 - start)
               .count()
           < ms) {
        std::this_thread::yield();
    }
}

}  // namespace zimbalo::app
