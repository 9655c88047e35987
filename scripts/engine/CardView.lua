-- The player card: its pictures and fields are made by the card itself.

Resources.CardView = Resources.Actor:new{
    class = "CardView",
}
