-- The rolling score display; labelProperties go to its label.

Resources.ScoreCounter = Resources.Actor:new{
    class = "ScoreCounter",
    labelProperties = Resources.Label:new{},
}
