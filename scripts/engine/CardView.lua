-- The player card: its pictures and fields are made by the card itself.

Resources.CardView = Resources.Actor:new{
    class = "CardView",
}

-- The player-choice dialog's own keys, applied over the dialog once it is made.
Resources.ChoosePlayerDialog = Resources.Object:new{
    title = "Who's Playing?",
}
