#pragma once
// One drawable piece of a look: a rectangle cut from a bitmap file, a colour fill, or both.
#include <optional>

#include "OrvFramework/Utilities/Graphics/Colorizer.h"
#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

// A rectangle of a bitmap file. With the base path "::" the file names a program resource.
struct LImageReference {
    String file;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const LImageReference&) const = default;
};

class LVisualPartDescriptor : public LRefCountedObject {
public:
    enum ResizeType : int { Stretch = 0, Tile = 1, Center = 2 };

    String name;
    int width = 0;
    int height = 0;
    int resizeType = Stretch;
    std::optional<LImageReference> image;
    ConstRCPtr<LColorizer> colorizer;
    float colorizerAlphaMod = 1.0f;
    std::optional<LImageReference> mask;
};

}  // namespace Orv
