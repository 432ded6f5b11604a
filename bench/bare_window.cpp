// The least a program with a window can do: SDL's software renderer on a
// 1024 x 768 window, one picture, then asleep until an event comes. The
// whole-application benchmarks measure it beside the editor, in the same run,
// as the floor for start-up time, idle processor time and resident memory.
// With VELOQUIX_TRACE_STARTUP set it prints, as the application does, the
// wall-clock time of its first presented picture and of the first input
// event it handles, in nanoseconds since the epoch.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

long long wallNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

bool isInput(Uint32 type)
{
    switch (type) {
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP:
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
        return true;
    default:
        return false;
    }
}

} // namespace

int main(int, char**)
{
    const bool trace = std::getenv("VELOQUIX_TRACE_STARTUP") != nullptr;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bare_window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1024, 768,
                                          SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    if (!renderer) {
        std::fprintf(stderr, "bare_window: %s\n", SDL_GetError());
        return 1;
    }
    auto present = [&] {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderPresent(renderer);
    };
    present();
    if (trace) std::fprintf(stderr, "first-frame %lld\n", wallNanoseconds());
    bool inputSeen = false;
    SDL_Event event;
    while (SDL_WaitEvent(&event)) {
        if (event.type == SDL_QUIT) break;
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) present();
        if (trace && !inputSeen && isInput(event.type)) {
            inputSeen = true;
            std::fprintf(stderr, "first-input %lld\n", wallNanoseconds());
        }
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
