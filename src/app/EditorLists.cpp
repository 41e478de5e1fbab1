#include "app/EditorLists.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "resources/StringIds.h"

namespace quillet::app {

namespace {

constexpr int kCloseAllQuestion = static_cast<int>(resources::string_id::kCloseAllQuestion);
// Codes from here on name a window number rather than a step.
constexpr int kNumberCodeBase = kActivateNumberBase;
constexpr int kNoQuestion = -1;

// The order in which commands and activations look through the lists.
constexpr std::array<EditorKind, 3> kKinds = {EditorKind::PhoneBook, EditorKind::FixedDialing, EditorKind::Sms};

}  // namespace

// The slots keep their count for the life of the list, so references to them survive the editors'
// callbacks; only their contents move.
struct EditorLists::List {
    std::vector<EditorSlot> slots;
    // Every editor object of the list, open or waiting to be deleted.
    std::vector<std::unique_ptr<Editor>> objects;

    explicit List(std::size_t capacity) : slots(capacity) {
        for (std::size_t i = 0; i < capacity; ++i) {
            slots[i].number = static_cast<int>(i);
        }
    }

    Editor* Front() const { return slots.front().window; }

    std::size_t OccupiedCount() const {
        const auto firstFree =
            std::find_if(slots.begin(), slots.end(), [](const EditorSlot& slot) { return slot.window == nullptr; });
        return static_cast<std::size_t>(std::distance(slots.begin(), firstFree));
    }

    auto OccupiedEnd() { return slots.begin() + static_cast<std::ptrdiff_t>(OccupiedCount()); }

    bool Carries(int number) const {
        const std::size_t occupied = OccupiedCount();
        for (std::size_t i = 0; i < occupied; ++i) {
            if (slots[i].number == number) {
                return true;
            }
        }
        return false;
    }

    int SmallestFreeNumber() const {
        int number = 0;
        while (Carries(number)) {
            ++number;
        }
        return number;
    }

    void RotateOnce() {
        const auto end = OccupiedEnd();
        if (end != slots.begin()) {
            std::rotate(slots.begin(), slots.begin() + 1, end);
        }
    }

    // Rotating straight to the slot gives the same order as rotating once at a time until it is
    // in front.
    template <typename Match>
    bool RotateToFrontWhere(Match match) {
        const auto end = OccupiedEnd();
        const auto found = std::find_if(slots.begin(), end, match);
        if (found == end) {
            return false;
        }
        std::rotate(slots.begin(), found, end);
        return true;
    }

    bool RotateToFront(const Editor* editor) {
        return RotateToFrontWhere([editor](const EditorSlot& slot) { return slot.window == editor; });
    }

    void DeletePendingEditors() {
        std::vector<Editor*> pending;
        for (EditorSlot& slot : slots) {
            if (slot.pendingDelete != nullptr) {
                pending.push_back(slot.pendingDelete);
                slot.pendingDelete = nullptr;
            }
        }
        const auto keep = std::stable_partition(objects.begin(), objects.end(), [&pending](const auto& object) {
            return std::find(pending.begin(), pending.end(), object.get()) == pending.end();
        });
        // The objects go only once the list is consistent again, in case their destructors call back.
        std::vector<std::unique_ptr<Editor>> doomed(std::make_move_iterator(keep),
                                                    std::make_move_iterator(objects.end()));
        objects.erase(keep, objects.end());
    }
};

EditorLists::EditorLists(EditorFactory& factory, std::function<void()> updateMenus)
    : m_factory(factory),
      m_updateMenus(std::move(updateMenus)),
      m_lists(std::make_unique<std::array<List, 3>>(std::array<List, 3>{List(Capacity(EditorKind::PhoneBook)),
                                                                        List(Capacity(EditorKind::FixedDialing)),
                                                                        List(Capacity(EditorKind::Sms))})) {}

EditorLists::~EditorLists() {
    // A window being destroyed may still report that it closed; by then it is in no slot, so
    // the report changes nothing.
    m_active = nullptr;
    std::vector<std::unique_ptr<Editor>> objects;
    for (List& list : *m_lists) {
        for (EditorSlot& slot : list.slots) {
            slot.window = nullptr;
            slot.pendingDelete = nullptr;
        }
        std::move(list.objects.begin(), list.objects.end(), std::back_inserter(objects));
        list.objects.clear();
    }
    objects.clear();
}

std::size_t EditorLists::Capacity(EditorKind kind) { return kind == EditorKind::FixedDialing ? 1 : 3; }

EditorLists::List& EditorLists::ListOf(EditorKind kind) { return (*m_lists)[static_cast<std::size_t>(kind)]; }

const EditorLists::List& EditorLists::ListOf(EditorKind kind) const {
    return (*m_lists)[static_cast<std::size_t>(kind)];
}

void EditorLists::UpdateMenus() {
    if (m_updateMenus) {
        m_updateMenus();
    }
}

bool EditorLists::CreateEditor(EditorKind kind, List& list, int number, int openMode) {
    if (list.slots.back().window != nullptr) {
        return false;
    }
    std::unique_ptr<Editor> editor = m_factory.Create(kind);
    if (!editor) {
        return false;
    }
    // Closed editors only ever sit in free slots, so none falls off the end when the slots move back.
    list.DeletePendingEditors();
    Editor* created = editor.get();
    list.objects.push_back(std::move(editor));
    std::rotate(list.slots.rbegin(), list.slots.rbegin() + 1, list.slots.rend());
    list.slots.front() = EditorSlot{created, nullptr, number};
    created->OpenWindow(number, openMode);
    return true;
}

Editor* EditorLists::ActivateEditor(EditorKind kind, int code, bool forceNew, int openMode) {
    List& list = ListOf(kind);
    if ((forceNew || list.Front() == nullptr) && code < kNumberCodeBase) {
        if (!CreateEditor(kind, list, list.SmallestFreeNumber(), openMode)) {
            return list.Front();
        }
    }
    if (code > 0 && code < kNumberCodeBase && m_active != nullptr && m_active == list.Front()) {
        list.RotateOnce();
    }
    const int capacity = static_cast<int>(list.slots.size());
    if (code >= kNumberCodeBase && code < kNumberCodeBase + capacity) {
        const int number = code - kNumberCodeBase;
        if (list.Carries(number)) {
            list.RotateToFrontWhere([number](const EditorSlot& slot) { return slot.number == number; });
        } else if (!CreateEditor(kind, list, number, openMode)) {
            return list.Front();
        }
    }
    Editor* front = list.Front();
    if (front != nullptr) {
        front->MakeActive();
    }
    return front;
}

void EditorLists::OnEditorActivated(Editor* editor) {
    if (editor == nullptr || editor == m_active) {
        return;
    }
    for (EditorKind kind : kKinds) {
        if (ListOf(kind).RotateToFront(editor)) {
            m_active = editor;
            UpdateMenus();
            return;
        }
    }
}

void EditorLists::OnEditorClosed(EditorKind kind, Editor* editor) {
    List& list = ListOf(kind);
    if (editor == nullptr || !list.RotateToFront(editor)) {
        return;
    }
    if (editor == m_active) {
        m_active = nullptr;
    }
    const auto end = list.OccupiedEnd();
    std::move(list.slots.begin() + 1, end, list.slots.begin());
    *(end - 1) = EditorSlot{nullptr, editor, -1};
    if (list.Front() != nullptr) {
        ActivateEditor(kind, kActivateFront, false, kNoOpenMode);
    }
    UpdateMenus();
}

bool EditorLists::ForwardToActiveEditor(CommandId command) {
    for (EditorKind kind : kKinds) {
        if (IsActiveFront(kind)) {
            ActivateEditor(kind, kActivateFront, false, kNoOpenMode)->SendCommand(command);
            return true;
        }
    }
    return false;
}

void EditorLists::CloseAllEditors() {
    bool ask = true;
    for (EditorKind kind : kKinds) {
        while (Editor* front = Front(kind)) {
            bool asked = false;
            const bool refused = front->CloseWithConfirm(ask ? kCloseAllQuestion : kNoQuestion, asked);
            // A window that stays open without having refused would be offered the close forever.
            if ((refused && ask) || Front(kind) == front) {
                return;
            }
            ask = ask && !asked;
        }
    }
    if (!ask) {
        m_active = nullptr;
    }
}

Editor* EditorLists::Front(EditorKind kind) const { return ListOf(kind).Front(); }

bool EditorLists::IsActiveFront(EditorKind kind) const { return m_active != nullptr && m_active == Front(kind); }

std::size_t EditorLists::OpenCount(EditorKind kind) const { return ListOf(kind).OccupiedCount(); }

bool EditorLists::AnyOpen() const {
    return std::any_of(kKinds.begin(), kKinds.end(), [this](EditorKind kind) { return Front(kind) != nullptr; });
}

const std::vector<EditorSlot>& EditorLists::Slots(EditorKind kind) const { return ListOf(kind).slots; }

}  // namespace quillet::app
