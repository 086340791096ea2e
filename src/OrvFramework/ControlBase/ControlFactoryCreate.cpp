// The creating half of the control factory: the class map and the create calls.
#include "OrvFramework/ControlBase/Control.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ObjectBase/Exception.h"

namespace Orv {

namespace {

thread_local LControlFactory* t_creatingFactory = nullptr;

// Makes factory the creating factory for the duration of one create call (calls nest for children).
class CreatingScope {
public:
    explicit CreatingScope(LControlFactory* factory) : m_previous(t_creatingFactory) { t_creatingFactory = factory; }
    ~CreatingScope() { t_creatingFactory = m_previous; }
    CreatingScope(const CreatingScope&) = delete;
    CreatingScope& operator=(const CreatingScope&) = delete;

private:
    LControlFactory* m_previous;
};

}  // namespace

LControlFactory* LControlFactory::GetCreatingFactory() { return t_creatingFactory; }

const String& LControlFactory::GetFrameworkDefaultFontName() {
    static const String name;
    return name;
}

ORVRESULT LControlFactory::RegisterControlClass(const String& className, ControlCreateFunction createFunction) {
    m_classes.emplace(className, createFunction);  // an existing entry stays
    return S_OK;
}

ORVRESULT LControlFactory::GetControlCreateFunction(const String& className,
                                                    ControlCreateFunction& createFunction) const {
    auto it = m_classes.find(className);
    if (it == m_classes.end() || it->second == nullptr)
        ORV_THROW_NO_TEXT(Runtime, "Orv::LControlFactory::GetControlCreateFunction", 50);
    createFunction = it->second;
    return S_OK;
}

RCPtr<LControl> LControlFactory::CreateControl(const String& controlName, IControlHost* window) {
    RCPtr<LControlDescriptor> descriptor = FindControlDescriptor(controlName);
    if (!descriptor) return nullptr;
    // A top-level control is shown whatever the skin said.
    if (descriptor->layout) descriptor->layout->visible = true;
    if (descriptor->createFunction == nullptr)
        GetControlCreateFunction(descriptor->className, descriptor->createFunction);
    RCPtr<LControl> control;
    {
        CreatingScope scope(this);
        control = descriptor->createFunction(nullptr, ConstRCPtr<LControlDescriptor>(descriptor));
    }
    if (control && window != nullptr && control->GetParent() == nullptr) {
        control->SetHostWindow(window);
        window->OnControlAttached(control.Get());
    }
    return control;
}

RCPtr<LControl> LControlFactory::CreateControl(const ConstRCPtr<LControlDescriptor>& descriptor, LControl* parent) {
    if (!descriptor) return nullptr;
    if (descriptor->createFunction == nullptr)
        GetControlCreateFunction(descriptor->className, descriptor->createFunction);
    CreatingScope scope(this);
    return descriptor->createFunction(RCPtr<LControl>(parent), descriptor);
}

ORVRESULT LControlFactory::ReapplyDescriptor(LControl* control) {
    if (control == nullptr) return E_FAIL;
    RCPtr<LControlDescriptor> descriptor = FindControlDescriptor(control->GetName());
    if (!descriptor) return E_FAIL;
    CreatingScope scope(this);
    control->ApplyDescriptor(ConstRCPtr<LControlDescriptor>(descriptor));
    return S_OK;
}

ORVRESULT LControlFactory::GetDefaultFont(String& fontName, float& fontSize, int& fontStyle) const {
    const RCPtr<LControlDescriptor> root = GetRoot(m_currentRootIndex);
    if (!root || !root->skin) return S_FALSE;
    const LSkinDescriptor& skin = *root->skin;
    bool supplied = false;
    if (skin.fontName != GetFrameworkDefaultFontName()) {
        fontName = skin.fontName;
        supplied = true;
    }
    if (skin.fontSize > 1.0f) {
        fontSize = skin.fontSize;
        supplied = true;
    }
    if (skin.fontStyle != -1) {
        fontStyle = skin.fontStyle;
        supplied = true;
    }
    return supplied ? S_OK : S_FALSE;
}

}  // namespace Orv
