#include "app/file_commands_qt.h"

#include <QString>

#include "app/app_context_qt.h"
#include "app/editor.h"
#include "io/file_commands.h"

namespace tarnel {

namespace {

class EditorFileHost final : public FileCommandHost {
public:
    explicit EditorFileHost(AppContext& context) : m_context(context) {}

    FileChoice openFileRequester(const FileRequest& request) override {
        return ask(request, [&](const QString& filter, QString* selected) {
            return m_context.platform().openFileName(qs(request.title), qs(request.defaultPath), filter, selected);
        });
    }

    FileChoice saveFileRequester(const FileRequest& request) override {
        return ask(request, [&](const QString& filter, QString* selected) {
            return m_context.platform().saveFileName(qs(request.title), qs(request.defaultPath), filter, selected);
        });
    }

    bool askYesNo(const std::string& title, const std::string& text) override {
        return m_context.platform().messageBox(title, text, MessageButtons::YesNo) == MessageAnswer::Yes;
    }

    void showError(const std::string& title, const std::string& text) override {
        m_context.platform().messageBox(title, text, MessageButtons::Ok);
    }

    std::string currentFilePath() override { return m_context.editor().currentFilePath(); }
    void setCurrentFilePath(const std::string& path) override { m_context.editor().setCurrentFilePath(path); }
    void setImageName(const std::string& name) override { m_context.editor().setImageName(name); }

    const Image* workingImage() override {
        Editor& editor = m_context.editor();
        return editor.hasWorking() ? &editor.working() : nullptr;
    }

    void installLoadedImage(Image image) override {
        Editor& editor = m_context.editor();
        editor.images().put(kSlotWorking, std::move(image));
        editor.resetHistory();
        // Mover mode detaches the selection.
        editor.setCursorMode(CursorMode::Mover);
        editor.fitWindowToImage(kSlotWorking);
    }

    void setFileStatus(const std::string& text) override { m_context.platform().setStatusText(0, text); }
    void beginLongWork() override { m_context.platform().beginLongWork(); }
    void endLongWork() override { m_context.platform().endLongWork(); }

private:
    static QString qs(const std::string& text) { return QString::fromStdString(text); }

    // Shows a requester with the request's filters, the preselected one
    // first chosen, and reads back which filter the user left selected.
    template <typename Show>
    FileChoice ask(const FileRequest& request, Show show) {
        const int count = static_cast<int>(request.filters.size());
        const int preselected = request.filterIndex >= 0 && request.filterIndex < count ? request.filterIndex : 0;
        QString selected = count > 0 ? qs(request.filters[static_cast<std::size_t>(preselected)]) : QString();
        const std::optional<QString> name = show(qs(request.qtFilter), &selected);
        if (!name) return {};
        FileChoice choice{name->toStdString(), preselected};
        for (int i = 0; i < count; ++i)
            if (qs(request.filters[static_cast<std::size_t>(i)]) == selected) choice.filterIndex = i;
        return choice;
    }

    AppContext& m_context;
};

}  // namespace

void loadImageCommand(AppContext& context, FileState& state) {
    EditorFileHost host(context);
    runLoadCommand(host, state);
}

void loadNamedImage(AppContext& context, FileState& state, const std::string& path) {
    EditorFileHost host(context);
    loadNamedFile(host, state, path);
}

void saveImageCommand(AppContext& context, FileState& state) {
    EditorFileHost host(context);
    runSaveCommand(host, state);
}

}  // namespace tarnel
