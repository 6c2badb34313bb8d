#include "editor/MainMenu.h"

#include "editor/EditorSettings.h"
#include "resources/MenuTemplate.h"
#include "resources/ResourceIds.h"
#include "resources/Strings.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include <utility>

namespace {

// The Action menu's choices for stale level files and for flags, by command.
constexpr std::pair<int, StaleLevelsChoice> kStaleLevelsCommands[] = {
    {kAskStaleLevelsCommand, StaleLevelsChoice()},
    {kRebuildStaleLevelsCommand, StaleLevelChoice::rebuild},
    {kUseLevelFilesCommand, StaleLevelChoice::files},
};
constexpr std::pair<int, FlagsChoice> kFlagsCommands[] = {
    {kAskFlagsCommand, FlagsChoice::Ask},
    {kKeepSceneFlagsCommand, FlagsChoice::KeepScene},
    {kTakeNameFlagsCommand, FlagsChoice::TakeName},
};

constexpr std::pair<int, Channels> kChannelsCommands[] = {
    {kRgbAlphaChannelsCommand, Channels::RgbAlpha},
    {kRgbChannelsCommand, Channels::Rgb},
    {kRedChannelCommand, Channels::Red},
    {kGreenChannelCommand, Channels::Green},
    {kBlueChannelCommand, Channels::Blue},
    {kAlphaChannelCommand, Channels::Alpha},
};

}  // namespace

MainMenu::MainMenu(QMenuBar* bar, const EditorSettings& settings, QObject* parent) : QObject(parent)
{
    QMenu* menu = nullptr;
    QMenu* submenu = nullptr;
    QActionGroup* choices = nullptr;
    for (const MenuItemTemplate& item : kMainMenu) {
        if (!menu || menu->title() != QLatin1String(item.menu)) {
            menu = bar->addMenu(QString::fromLatin1(item.menu));
            submenu = nullptr;
        }
        if (item.submenu && (!submenu || submenu->title() != QLatin1String(item.submenu))) {
            submenu = menu->addMenu(QString::fromLatin1(item.submenu));
            choices = nullptr;
        }
        QMenu* target = item.submenu ? submenu : menu;
        switch (item.kind) {
        case MenuItemKind::Separator:
            target->addSeparator();
            continue;
        case MenuItemKind::RecentScenes:
            recentScenes_ = submenu;
            continue;
        case MenuItemKind::Command:
        case MenuItemKind::Toggle:
        case MenuItemKind::Choice:
            break;
        }
        QAction* action = target->addAction(QString::fromLatin1(item.text));
        action->setData(item.command);
        action->setEnabled(!item.greyedAtStart);
        if (item.shortcut)
            action->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(item.shortcut)));
        if (item.kind != MenuItemKind::Command)
            action->setCheckable(true);
        if (item.kind == MenuItemKind::Choice) {
            if (!choices)
                choices = new QActionGroup(submenu);
            choices->addAction(action);
        }
        actions_[item.command] = action;
    }
    QAction* about = bar->addMenu(kHelpMenuTitle)->addAction(kAboutMenuText);
    about->setData(kAboutCommand);
    actions_[kAboutCommand] = about;
    restoreOptions(settings);
}

QAction* MainMenu::action(int command) const
{
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

void MainMenu::fillRecentScenes(const QStringList& scenes, const std::function<void(const QString&)>& open)
{
    for (int i = 0; i < kRecentSceneCount; ++i)
        actions_.erase(kFirstRecentSceneCommand + i);
    recentScenes_->clear();
    for (int i = 0; i < scenes.size(); ++i) {
        QAction* entry = recentScenes_->addAction(QString::fromLatin1(kRecentSceneFormat).arg(i + 1).arg(scenes[i]));
        entry->setData(kFirstRecentSceneCommand + i);
        actions_[kFirstRecentSceneCommand + i] = entry;
        entry->setEnabled(QFileInfo(scenes[i]).isFile());
        connect(entry, &QAction::triggered, this, [open, scene = scenes[i]] { open(scene); });
    }
}

bool MainMenu::keepSceneFormat() const
{
    return action(kKeepSceneFormatCommand)->isChecked();
}

MipFilter MainMenu::mipFilter() const
{
    return action(kBoxLevelsCommand)->isChecked() ? MipFilter::box : MipFilter::point;
}

StaleLevelsChoice MainMenu::staleLevelsChoice() const
{
    for (const auto& [command, choice] : kStaleLevelsCommands)
        if (action(command)->isChecked())
            return choice;
    return StaleLevelsChoice();
}

FlagsChoice MainMenu::flagsChoice() const
{
    for (const auto& [command, choice] : kFlagsCommands)
        if (action(command)->isChecked())
            return choice;
    return FlagsChoice::Ask;
}

bool MainMenu::keepSceneName() const
{
    return action(kKeepSceneNameCommand)->isChecked();
}

bool MainMenu::dither() const
{
    return action(kDitherCommand)->isChecked();
}

bool MainMenu::showsAsItGoesIn() const
{
    return action(kAsItGoesInCommand)->isChecked();
}

std::vector<int> MainMenu::OptionCommands()
{
    return {kAsItGoesInCommand,         kKeepSceneFormatCommand, kDitherCommand,
            kPointLevelsCommand,        kBoxLevelsCommand,       kAskStaleLevelsCommand,
            kRebuildStaleLevelsCommand, kUseLevelFilesCommand,   kAskFlagsCommand,
            kKeepSceneFlagsCommand,     kTakeNameFlagsCommand,   kTakeFileNameCommand,
            kKeepSceneNameCommand};
}

ViewChoices MainMenu::viewChoices() const
{
    ViewChoices choices;
    for (const auto& [command, channels] : kChannelsCommands)
        if (action(command)->isChecked())
            choices.channels = channels;
    choices.linked = action(kLinkFramesCommand)->isChecked();
    choices.difference = action(kDifferenceCommand)->isChecked();
    return choices;
}

std::vector<int> MainMenu::ViewCommands()
{
    std::vector<int> commands = {kZoomInCommand, kZoomOutCommand, kActualSizeCommand, kFitCommand};
    for (const auto& [command, channels] : kChannelsCommands)
        commands.push_back(command);
    commands.push_back(kLinkFramesCommand);
    commands.push_back(kDifferenceCommand);
    return commands;
}

void MainMenu::showChannels(Channels channels)
{
    action(ChannelsCommand(channels))->setChecked(true);
}

int MainMenu::ChannelsCommand(Channels channels)
{
    for (const auto& [command, shown] : kChannelsCommands)
        if (shown == channels)
            return command;
    return kRgbAlphaChannelsCommand;
}

void MainMenu::rememberOptions(EditorSettings& settings) const
{
    settings.setViewChoices(viewChoices());
    settings.setKeepSceneFormat(keepSceneFormat());
    settings.setMipFilter(mipFilter());
    settings.setStaleLevels(staleLevelsChoice());
    settings.setReplaceFlags(flagsChoice());
    settings.setKeepSceneName(keepSceneName());
    settings.setDither(dither());
    settings.setShowsAsItGoesIn(showsAsItGoesIn());
}

void MainMenu::restoreOptions(const EditorSettings& settings)
{
    action(kKeepSceneFormatCommand)->setChecked(settings.keepSceneFormat());
    const bool box = settings.mipFilter() == MipFilter::box;
    action(box ? kBoxLevelsCommand : kPointLevelsCommand)->setChecked(true);
    for (const auto& [command, choice] : kStaleLevelsCommands)
        action(command)->setChecked(choice == settings.staleLevels());
    for (const auto& [command, choice] : kFlagsCommands)
        action(command)->setChecked(choice == settings.replaceFlags());
    action(settings.keepSceneName() ? kKeepSceneNameCommand : kTakeFileNameCommand)->setChecked(true);
    action(kDitherCommand)->setChecked(settings.dither());
    action(kAsItGoesInCommand)->setChecked(settings.showsAsItGoesIn());
    const ViewChoices view = settings.viewChoices();
    showChannels(view.channels);
    action(kLinkFramesCommand)->setChecked(view.linked);
    action(kDifferenceCommand)->setChecked(view.difference);
}
