#pragma once

#include <string>
#include <vector>

#include "framework/object.h"

namespace tovel {

enum class TOperation { opInsert, opRemove };

// A component belongs to its owner: the owner frees it with itself, and tells
// every component it owns when one of them goes away, so that plain
// references between components of one form can be cleared in time.
class TComponent : public TObject {
  public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    const std::vector<TComponent*>& Components() const { return FComponents; }

    const std::u16string& Name() const { return FName; }
    void SetName(std::u16string name) { FName = std::move(name); }

    // Set while the component is edited in a form designer; this program never
    // is, but components that behave differently there keep the distinction.
    bool Designing() const { return FDesigning; }
    void SetDesigning(bool value) { FDesigning = value; }

    // Called once the owner and every component it owns exist and hold their
    // stored properties, owner's components first in creation order.
    virtual void Loaded() {}

    // Passes removal (and insertion) notices on to every owned component.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    // Runs Loaded for every owned component, then for this one.
    void LoadComponents();

  protected:
    // Frees the owned components, last created first. Derived classes whose
    // components reach back into them call this from their own destructor so
    // the components go while the whole object still exists.
    void DestroyComponents();

  private:
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);

    TComponent* FOwner;
    std::vector<TComponent*> FComponents;
    std::u16string FName;
    bool FDesigning = false;
};

}  // namespace tovel
