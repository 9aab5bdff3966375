#include "platform/sdl/SdlMessageBox.h"

#include "platform/sdl/SdlApi.h"

#include <memory>
#include <vector>

#include "platform/MessageBoxPainter.h"
#include "platform/StopSignals.h"
#include "platform/TextCodec.h"

namespace orrivel::platform {
namespace {

bool Present(SDL_Window* window, const MessageBoxPainter& painter, size_t focus) {
  SDL_Surface* target = sdl::Api().GetWindowSurface(window);
  if (!target) return false;
  std::vector<uint32_t> pixels = painter.Paint(focus);
  SDL_Surface* picture = sdl::Api().CreateRGBSurfaceWithFormatFrom(pixels.data(), painter.Width(), painter.Height(), 32,
                                                            painter.Width() * 4, SDL_PIXELFORMAT_RGB888);
  if (!picture) return false;
  sdl::Api().UpperBlit(picture, nullptr, target, nullptr);
  sdl::Api().FreeSurface(picture);
  return sdl::Api().UpdateWindowSurface(window) == 0;
}

// Whether an event belongs to the box's window.
bool ForBox(const SDL_Event& event, uint32_t boxId) {
  switch (event.type) {
    case SDL_WINDOWEVENT: return event.window.windowID == boxId;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return event.key.windowID == boxId;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID == boxId;
    case SDL_MOUSEMOTION: return event.motion.windowID == boxId;
    case SDL_TEXTINPUT: return event.text.windowID == boxId;
    default: return false;
  }
}

}  // namespace

int ShowSdlMessageBox(const MessageBoxRequest& request, void* owner) {
  if (!sdl::Load()) return -1;
  const std::unique_ptr<MessageBoxPainter> painter = MessageBoxPainter::Create(request);
  if (!painter) return -1;
  uint32_t flags = SDL_WINDOW_SHOWN;
  if (request.systemModal) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  if (owner) flags |= SDL_WINDOW_UTILITY;
  SDL_Window* window = sdl::Api().CreateWindow(Cp932ToUtf8Lossy(request.caption).c_str(), SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, painter->Width(), painter->Height(), flags);
  if (!window) return -1;
  if (owner) sdl::Api().SetWindowModalFor(window, static_cast<SDL_Window*>(owner));
  sdl::Api().RaiseWindow(window);
  const uint32_t boxId = sdl::Api().GetWindowID(window);

  size_t focus = painter->DefaultButton();
  size_t pressed = painter->Buttons().size();
  int answer = 0;
  bool answered = false;
  // Events of the game's windows wait until the box is gone.
  std::vector<SDL_Event> others;
  Present(window, *painter, focus);
  while (!answered) {
    if (StopRequestPending()) break;
    SDL_Event event;
    if (!sdl::Api().WaitEventTimeout(&event, 50)) continue;
    if (event.type == SDL_QUIT) {
      others.push_back(event);
      break;
    }
    if (!ForBox(event, boxId)) {
      others.push_back(event);
      continue;
    }
    const size_t count = painter->Buttons().size();
    switch (event.type) {
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          answer = painter->EscapeAnswer();
          answered = true;
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SHOWN) {
          Present(window, *painter, focus);
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT) pressed = painter->ButtonAt(Point{event.button.x, event.button.y});
        break;
      case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT && pressed < count &&
            painter->ButtonAt(Point{event.button.x, event.button.y}) == pressed) {
          answer = painter->Buttons()[pressed].answer;
          answered = true;
        }
        pressed = count;
        break;
      case SDL_KEYDOWN:
        switch (event.key.keysym.sym) {
          case SDLK_RETURN:
          case SDLK_KP_ENTER:
          case SDLK_SPACE:
            answer = painter->Buttons()[focus].answer;
            answered = true;
            break;
          case SDLK_ESCAPE:
            answer = painter->EscapeAnswer();
            answered = true;
            break;
          case SDLK_TAB:
          case SDLK_RIGHT:
            focus = (focus + 1) % count;
            Present(window, *painter, focus);
            break;
          case SDLK_LEFT:
            focus = (focus + count - 1) % count;
            Present(window, *painter, focus);
            break;
          default:
            break;
        }
        break;
      default:
        break;
    }
  }
  sdl::Api().DestroyWindow(window);
  for (SDL_Event& event : others) sdl::Api().PushEvent(&event);
  return answered ? answer : painter->EscapeAnswer();
}

}  // namespace orrivel::platform
