#include "engine/runtime/ImageRenderer.h"

#include "engine/core/Exception.h"

int ShaderTypeFromString(const std::string& text)
{
    static const char* const kNames[] = {"SHADERTYPE_RESERVED", "SHADERTYPE_COPY", "SHADERTYPE_BLENDPIXELALPHA",
                                         "SHADERTYPE_BLENDCONSTANTALPHA", "SHADERTYPE_BLENDCOMBINEDALPHA"};
    for (int i = 0; i < 5; ++i) {
        if (text == kNames[i])
            return i;
    }
    VELK_THROW(Exception, (boost::format("Unknown shaderTypeString: %1%") % text).str());
}
