// Application extension (label 0xFF, GIF89a section 26) and the registry that
// maps an 11-byte application identifier to the class that reads its data.
#pragma once

#include <string_view>

#include "gif/GIFExtension.h"

namespace htmlimglist {

class TGIFApplicationExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass Class;

    using TGIFExtension::TGIFExtension;
    uint8_t GetExtensionType() const override { return 0xFF; }
    // Reads the identifier block, then the data through LoadData.
    void LoadFromStream(TGIFStream& stream) override;
    // Steps over the data sub-blocks; the subclasses keep what they know.
    virtual void LoadData(TGIFStream& stream);

    const TGIFApplicationRec& Record() const { return record_; }
    std::string_view Identifier() const { return {record_.Identifier, 8}; }
    std::string_view Authentication() const { return {record_.Authentication, 3}; }

    // Picks the class by the identifier block: a 10-byte block gives the
    // unknown-application class, an 11-byte block the class registered for
    // its bytes (or the unknown-application class), anything else self.
    static const TGIFExtensionClass* FindSubExtension(const TGIFExtensionClass& self,
                                                      TGIFStream& stream);
    // Adds a class for an identifier; it overrides earlier registrations.
    static void RegisterExtension(const TGIFApplicationRec& identifier,
                                  const TGIFExtensionClass* extensionClass);

protected:
    TGIFApplicationRec record_{};
};

// Makes an identifier record from 11 characters, e.g. "NETSCAPE2.0".
TGIFApplicationRec MakeApplicationRec(std::string_view elevenCharacters);

}  // namespace htmlimglist
